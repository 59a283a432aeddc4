// Walking a world file's text the way its line reader sees it: in pieces of at most 254 characters, a carriage
// return before a line feed dropped, comments and blank lines skipped. Shared by the loader and its line readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace worldfile {

// The line buffer holds 256 characters; a piece is at most 254 of them, the line feed included.
constexpr int kPieceLength = 254;
// The fast reader of common lines looks at most this far ahead of a line's start; the streaming window keeps at
// least this much in hand until the file's end.
constexpr size_t kLookAhead = 320;

inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Walks the file piece by piece, the way a 255-character line read in text mode sees it: a carriage return
// right before a line feed is dropped and does not count towards the piece's length. The text is either all in
// memory, or streamed from a file through a window that is refilled whenever less than a piece is left, so that
// a big level never needs its whole text in memory.
struct PieceCursor {
  const char* next;
  const char* end;
  int32_t line = 1;  // the physical line the next piece starts on
  FILE* source = nullptr;
  char* window = nullptr;
  size_t window_size = 0;

  void Refill() {
    size_t kept = static_cast<size_t>(end - next);
    memmove(window, next, kept);
    size_t got = fread(window + kept, 1, window_size - kept, source);
    if (got < window_size - kept) source = nullptr;  // end of file (or a read error, which ends it too)
    next = window;
    end = window + kept + got;
  }

  // The next piece as [*begin, *piece_end); false at the end of the file. *piece_line is its line number. The
  // piece stays valid until the next call.
  bool Next(const char** begin, const char** piece_end, int32_t* piece_line) {
    if (source && static_cast<size_t>(end - next) < kLookAhead) Refill();
    if (next >= end) return false;
    *begin = next;
    *piece_line = line;
    size_t left = static_cast<size_t>(end - next);
    size_t reach = left < kPieceLength + 1 ? left : kPieceLength + 1;
    const char* feed = static_cast<const char*>(memchr(next, '\n', reach));
    if (feed) {
      size_t length = static_cast<size_t>(feed - next) + 1;
      bool has_cr = feed > next && feed[-1] == '\r';
      if (length - (has_cr ? 1 : 0) <= kPieceLength) {
        *piece_end = feed + 1;
        next = feed + 1;
        ++line;
        return true;
      }
    }
    // No line feed within reach: the piece is the next 254 characters (or what is left).
    size_t take = left < kPieceLength ? left : kPieceLength;
    *piece_end = next + take;
    next += take;
    return true;
  }

  // The next piece that is neither a comment nor blank.
  bool NextKept(const char** begin, const char** piece_end, int32_t* piece_line) {
    while (Next(begin, piece_end, piece_line)) {
      char first = **begin;
      if (first == '/' || first == '\n') continue;
      // A blank line written with CR LF is a lone line feed once the carriage return is dropped.
      if (first == '\r' && *piece_end - *begin == 2 && (*begin)[1] == '\n') continue;
      return true;
    }
    return false;
  }
};

inline const char* SkipSpace(const char* p, const char* e) {
  while (p < e && IsSpace(*p)) ++p;
  return p;
}

// True when at least kLookAhead characters are in hand at the cursor (refilling the window if need be).
inline bool HasLookAhead(PieceCursor& cursor) {
  if (cursor.source && static_cast<size_t>(cursor.end - cursor.next) < kLookAhead) cursor.Refill();
  return static_cast<size_t>(cursor.end - cursor.next) >= kLookAhead;
}

// The line ending at the line feed at feed, begun at the cursor, is one piece; take it.
inline bool TakeLine(PieceCursor& cursor, const char* feed) {
  size_t length = static_cast<size_t>(feed - cursor.next) + 1;
  if (length - (feed[-1] == '\r' ? 1 : 0) > kPieceLength) return false;
  cursor.next = feed + 1;
  ++cursor.line;
  return true;
}

}  // namespace worldfile
