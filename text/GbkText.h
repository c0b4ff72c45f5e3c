#pragma once

#include <stdexcept>
#include <string>

// The generated site and its sources are GBK (code page 936); the program holds
// text as UTF-8. These convert between the two through iconv.
class TGbkEncodingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace GbkText {

// The GBK bytes of a UTF-8 text. Raises TGbkEncodingError naming the first
// character that GBK cannot hold (or the first byte that is not UTF-8).
std::string FromUtf8(const std::string& utf8);

// The UTF-8 text of GBK bytes; raises TGbkEncodingError on bytes that are not GBK.
std::string ToUtf8(const std::string& gbk);

// True when every character of the UTF-8 text has a GBK form.
bool CanEncode(const std::string& utf8);

}  // namespace GbkText
