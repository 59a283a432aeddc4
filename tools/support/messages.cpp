#include "tools/support/messages.h"

#include <cstdio>

#include "platform/windowless.h"

size_t PrintShownMessages() {
  const std::vector<std::string> texts = TakeShownMessages();
  for (const std::string& text : texts) {
    fprintf(stderr, "%s%s", text.c_str(), !text.empty() && text.back() == '\n' ? "" : "\n");
  }
  return texts.size();
}
