#include "generation/TemplateEngine.h"

#include <algorithm>

bool TParsedTemplate::MadeByUser() const {
  return std::any_of(sources.begin(), sources.end(), [](const TTemplateSource* source) { return source->user; });
}

namespace TemplateEngine {

namespace {

// Partials deeper than this are taken as a partial that includes itself.
constexpr int kMaxPartialDepth = 16;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string Trim(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && (IsBlank(text[first]) || text[first] == '\r' || text[first] == '\n')) ++first;
  while (last > first && (IsBlank(text[last - 1]) || text[last - 1] == '\r' || text[last - 1] == '\n')) --last;
  return std::string(text.substr(first, last - first));
}

class TParser {
 public:
  TParser(const TTemplateSource& source, std::vector<TViewScope> scopes, const TVariableLookup& variables,
          const TPartialLookup& partials, std::string indent, int partialDepth, TParsedTemplate& parsed)
      : FSource(source),
        FText(source.text),
        FScopes(std::move(scopes)),
        FVariables(variables),
        FPartials(partials),
        FIndent(std::move(indent)),
        FPartialDepth(partialDepth),
        FParsed(parsed) {}

  void Parse(std::vector<TTemplateNode>& out) {
    FTargets.push_back(&out);
    std::size_t pos = 0;
    std::size_t lastTagEnd = 0;
    while (pos < FText.size()) {
      const std::size_t start = FText.find(FOpen, pos);
      if (start == std::string::npos) {
        Literal(pos, FText.size());
        break;
      }
      std::size_t p = start + FOpen.size();
      char sigil = p < FText.size() ? FText[p] : '\0';
      std::string closing = FClose;
      if (sigil == '{') {
        closing = "}" + FClose;
        ++p;
      } else if (sigil == '=') {
        closing = "=" + FClose;
        ++p;
      } else if (sigil == '#' || sigil == '^' || sigil == '/' || sigil == '!' || sigil == '>' || sigil == '&') {
        ++p;
      } else {
        sigil = '\0';
      }
      const std::size_t end = FText.find(closing, p);
      if (end == std::string::npos) Fail(start, "标签没有结束的“" + closing + "”", "");
      const std::string content = Trim(std::string_view(FText).substr(p, end - p));
      std::size_t tagEnd = end + closing.size();

      // A section, comment, partial or delimiter tag alone on its line leaves nothing of the line.
      bool standalone = false;
      std::size_t lineStart = start;
      if (sigil == '#' || sigil == '^' || sigil == '/' || sigil == '!' || sigil == '>' || sigil == '=') {
        while (lineStart > pos && IsBlank(FText[lineStart - 1])) --lineStart;
        const bool atLineStart = lineStart == 0 || FText[lineStart - 1] == '\n';
        std::size_t after = tagEnd;
        while (after < FText.size() && IsBlank(FText[after])) ++after;
        std::size_t lineEnd = std::string::npos;
        if (after == FText.size())
          lineEnd = after;
        else if (FText[after] == '\n')
          lineEnd = after + 1;
        else if (FText.compare(after, 2, "\r\n") == 0)
          lineEnd = after + 2;
        if (atLineStart && lineStart >= lastTagEnd && lineEnd != std::string::npos) {
          standalone = true;
          tagEnd = lineEnd;
        }
      }
      const std::string lineIndent = standalone ? FText.substr(lineStart, start - lineStart) : std::string();
      Literal(pos, standalone ? lineStart : start);
      Tag(sigil, content, start, standalone, lineIndent);
      pos = tagEnd;
      lastTagEnd = tagEnd;
    }
    if (FTargets.size() > 1) {
      const TOpenSection& open = FOpenSections.back();
      Fail(open.offset, "段“" + open.name + "”没有结束标签", open.name);
    }
  }

 private:
  struct TOpenSection {
    std::string name;
    std::size_t offset;
    bool pushedScope;
  };

  std::vector<TTemplateNode>& Target() { return *FTargets.back(); }

  void AppendText(const std::string& text) {
    if (text.empty()) return;
    std::vector<TTemplateNode>& target = Target();
    if (!target.empty() && target.back().kind == TTemplateNode::Kind::Text) {
      target.back().text += text;
    } else {
      TTemplateNode node;
      node.text = text;
      target.push_back(std::move(node));
    }
  }

  // Output that starts a line of an indented partial gets the partial's indentation first.
  void StartOutput() {
    if (FAtLineStart && !FIndent.empty()) AppendText(FIndent);
    FAtLineStart = false;
  }

  void Literal(std::size_t from, std::size_t to) {
    if (from >= to) return;
    if (FIndent.empty()) {
      AppendText(FText.substr(from, to - from));
      return;
    }
    std::size_t at = from;
    while (at < to) {
      StartOutput();
      std::size_t newline = FText.find('\n', at);
      if (newline == std::string::npos || newline >= to) newline = to - 1;
      AppendText(FText.substr(at, newline + 1 - at));
      if (FText[newline] == '\n') FAtLineStart = true;
      at = newline + 1;
    }
  }

  void Tag(char sigil, const std::string& content, std::size_t offset, bool standalone, const std::string& lineIndent) {
    switch (sigil) {
      case '!':
        return;
      case '=':
        return SetDelimiters(content, offset);
      case '>':
        return Partial(content, offset, standalone, lineIndent);
      case '/':
        return Close(content, offset);
      default:
        break;
    }
    const TVariable* variable = nullptr;
    const int depth = Resolve(content, offset, variable);
    if (sigil == '#' || sigil == '^') {
      TTemplateNode node;
      node.kind = sigil == '#' ? TTemplateNode::Kind::Section : TTemplateNode::Kind::Inverted;
      node.variable = variable;
      node.depth = depth;
      Target().push_back(std::move(node));
      FTargets.push_back(&Target().back().children);
      const bool pushesScope = sigil == '#' && variable->type == TVariableType::List;
      if (pushesScope) FScopes.push_back(variable->itemScope);
      FOpenSections.push_back({content, offset, pushesScope});
      return;
    }
    if (variable->type == TVariableType::List)
      Fail(offset, "变量“" + content + "”是列表，只能用作段 {{#" + content + "}}…{{/" + content + "}}", content);
    if (variable->type == TVariableType::Bool)
      Fail(offset, "变量“" + content + "”是真假值，只能用作段 {{#" + content + "}}…{{/" + content + "}}", content);
    StartOutput();
    TTemplateNode node;
    node.kind = TTemplateNode::Kind::Value;
    node.variable = variable;
    node.depth = depth;
    Target().push_back(std::move(node));
  }

  // The frame (counted from the bottom) of the innermost scope that has the name.
  int Resolve(const std::string& name, std::size_t offset, const TVariable*& variable) {
    if (name.empty()) Fail(offset, "标签没有变量名", name);
    for (int depth = static_cast<int>(FScopes.size()) - 1; depth >= 0; --depth) {
      variable = FVariables(FScopes[depth], name);
      if (variable != nullptr) return depth;
    }
    Fail(offset, "此处没有变量“" + name + "”（见 corvanthel-cli templates variables）", name);
    return 0;
  }

  void Close(const std::string& name, std::size_t offset) {
    if (FOpenSections.empty()) Fail(offset, "结束标签“" + name + "”前没有打开的段", name);
    const TOpenSection open = FOpenSections.back();
    if (open.name != name) {
      const auto [line, column] = Position(open.offset);
      Fail(offset,
           "结束标签“" + name + "”与第" + std::to_string(line) + "行第" + std::to_string(column) + "列打开的段“" +
               open.name + "”不配对",
           name);
    }
    FOpenSections.pop_back();
    FTargets.pop_back();
    if (open.pushedScope) FScopes.pop_back();
  }

  void SetDelimiters(const std::string& content, std::size_t offset) {
    const std::size_t blank = content.find_first_of(" \t");
    if (blank == std::string::npos) Fail(offset, "分隔符设置“" + content + "”应为两个以空格分开的分隔符", content);
    const std::string open = content.substr(0, blank);
    const std::string close = Trim(std::string_view(content).substr(blank));
    if (open.empty() || close.empty() || close.find_first_of(" \t=") != std::string::npos ||
        open.find('=') != std::string::npos)
      Fail(offset, "分隔符设置“" + content + "”应为两个以空格分开的分隔符", content);
    FOpen = open;
    FClose = close;
  }

  void Partial(const std::string& name, std::size_t offset, bool standalone, const std::string& lineIndent) {
    if (name.empty()) Fail(offset, "部分模板标签没有名字", name);
    const TTemplateSource* partial = FPartials ? FPartials(name) : nullptr;
    if (partial == nullptr) Fail(offset, "部分模板“" + name + "”不存在", name);
    if (FPartialDepth >= kMaxPartialDepth) Fail(offset, "部分模板“" + name + "”层层包含自己", name);
    if (!standalone) StartOutput();
    if (std::find(FParsed.sources.begin(), FParsed.sources.end(), partial) == FParsed.sources.end())
      FParsed.sources.push_back(partial);
    TParser inner(*partial, FScopes, FVariables, FPartials, FIndent + lineIndent, FPartialDepth + 1, FParsed);
    inner.FAtLineStart = standalone || FAtLineStart;
    std::vector<TTemplateNode> nodes;
    inner.Parse(nodes);
    for (TTemplateNode& node : nodes) {
      if (node.kind == TTemplateNode::Kind::Text)
        AppendText(node.text);
      else
        Target().push_back(std::move(node));
    }
    if (standalone) FAtLineStart = true;
  }

  // Line and column (in characters) of a byte offset, both from 1.
  std::pair<int, int> Position(std::size_t offset) const {
    int line = 1;
    std::size_t lineStart = 0;
    for (std::size_t at = 0; at < offset && at < FText.size(); ++at) {
      if (FText[at] == '\n') {
        ++line;
        lineStart = at + 1;
      }
    }
    int column = 1;
    for (std::size_t at = lineStart; at < offset && at < FText.size(); ++at)
      if ((static_cast<unsigned char>(FText[at]) & 0xC0) != 0x80) ++column;
    return {line, column};
  }

  [[noreturn]] void Fail(std::size_t offset, const std::string& what, const std::string& name) const {
    const auto [line, column] = Position(offset);
    throw TTemplateError("模板 " + FSource.shown + " 第" + std::to_string(line) + "行第" + std::to_string(column) +
                             "列：" + what,
                         FSource.shown, line, column, name);
  }

  const TTemplateSource& FSource;
  const std::string& FText;
  std::vector<TViewScope> FScopes;
  const TVariableLookup& FVariables;
  const TPartialLookup& FPartials;
  const std::string FIndent;
  const int FPartialDepth;
  TParsedTemplate& FParsed;
  std::string FOpen = "{{";
  std::string FClose = "}}";
  bool FAtLineStart = true;
  std::vector<std::vector<TTemplateNode>*> FTargets;
  std::vector<TOpenSection> FOpenSections;
};

bool Truthy(const TTemplateNode& node, const TViewFrame& frame) {
  switch (node.variable->type) {
    case TVariableType::Bool:
      return node.variable->test(frame);
    case TVariableType::List:
      return !node.variable->items(frame).empty();
    case TVariableType::Text:
      break;
  }
  std::string value;
  node.variable->text(frame, value);
  return !value.empty();
}

void RenderNodes(const std::vector<TTemplateNode>& nodes, std::vector<TViewFrame>& frames, std::string& out) {
  for (const TTemplateNode& node : nodes) {
    switch (node.kind) {
      case TTemplateNode::Kind::Text:
        out += node.text;
        break;
      case TTemplateNode::Kind::Value:
        node.variable->text(frames[node.depth], out);
        break;
      case TTemplateNode::Kind::Section:
        if (node.variable->type == TVariableType::List) {
          const std::vector<const void*>& items = node.variable->items(frames[node.depth]);
          const int count = static_cast<int>(items.size());
          for (int i = 0; i < count; ++i) {
            frames.push_back({items[i], i, count});
            RenderNodes(node.children, frames, out);
            frames.pop_back();
          }
        } else if (Truthy(node, frames[node.depth])) {
          RenderNodes(node.children, frames, out);
        }
        break;
      case TTemplateNode::Kind::Inverted:
        if (!Truthy(node, frames[node.depth])) RenderNodes(node.children, frames, out);
        break;
    }
  }
}

}  // namespace

TParsedTemplate Parse(const TTemplateSource& source, const std::vector<TViewScope>& scopes,
                      const TVariableLookup& variables, const TPartialLookup& partials) {
  TParsedTemplate parsed;
  parsed.sources.push_back(&source);
  TParser(source, scopes, variables, partials, std::string(), 0, parsed).Parse(parsed.nodes);
  return parsed;
}

void Render(const TParsedTemplate& parsed, std::vector<TViewFrame>& frames, std::string& out) {
  RenderNodes(parsed.nodes, frames, out);
}

std::string NormalizeLineEnds(const std::string& text) {
  std::string normalized;
  normalized.reserve(text.size() + text.size() / 16);
  // Whole lines at a time: every template is normalized on each run.
  std::size_t from = 0;
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    normalized.append(text, from, at - from);
    if (at == 0 || text[at - 1] != '\r') normalized += '\r';
    from = at;
  }
  normalized.append(text, from, std::string::npos);
  return normalized;
}

}  // namespace TemplateEngine
