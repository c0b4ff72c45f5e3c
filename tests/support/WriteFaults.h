#pragma once

#include "site/FileOperate.h"

// Puts other system calls in place of those that write and close a temporary file, for as long as it
// lives: a test makes them fail as a full disk or a lost network share does.
class TWriteCallsReplaced {
 public:
  TWriteCallsReplaced(ssize_t (*write)(int, const void*, std::size_t), int (*close)(int))
      : FSaved(TFileWriteCalls::Current()) {
    TFileWriteCalls::Current() = {write, close};
  }
  ~TWriteCallsReplaced() { TFileWriteCalls::Current() = FSaved; }
  TWriteCallsReplaced(const TWriteCallsReplaced&) = delete;
  TWriteCallsReplaced& operator=(const TWriteCallsReplaced&) = delete;

 private:
  const TFileWriteCalls FSaved;
};
