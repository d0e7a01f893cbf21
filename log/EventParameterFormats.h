#pragma once
// How each browser event becomes a log row's parameter text, as a table keyed by the event
// catalogue: per event, its pieces (a label and which argument, read how) and whether its
// browser argument tells the page from a frame. Pieces are joined by two blanks.
#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <string>

#include "events/EventCatalog.h"

// One event's arguments as the log reads them, in the order of the event's signature.
struct EventArguments {
  const char* text = nullptr;        // the one text argument
  long numbers[2] = {0, 0};          // integer and BOOL arguments
  const VARIANT* variants[5] = {};   // by-reference VARIANT arguments
  IDispatch* browser = nullptr;      // the browser (page or frame) that raised the event

  static EventArguments None() { return {}; }
  static EventArguments Text(const char* text);
  static EventArguments Numbers(long first, long second = 0);
  static EventArguments Variants(IDispatch* browser, const VARIANT* a = nullptr, const VARIANT* b = nullptr,
                                 const VARIANT* c = nullptr, const VARIANT* d = nullptr,
                                 const VARIANT* e = nullptr);
};

struct EventParameterFormat {
  enum class Read : unsigned char { Text, Number, Flag, BstrVariant, IntegerVariant, PostData };
  struct Piece {
    const char* label;  // "URL:" and so on
    Read read;
    unsigned char argument;  // index into the numbers or the variants
  };
  // Whether the row tells where the event came from: not at all, from its browser argument,
  // or so too with the page's own event marking that the page has loaded.
  enum class Origin : unsigned char { None, FromBrowser, FromBrowserLoaded };

  Piece pieces[5];
  size_t pieceCount;
  Origin origin;
};

// The format of the event of catalogue slot `slot`.
const EventParameterFormat& EventParameterFormatOf(size_t slot);

// The parameter text of the event of catalogue slot `slot` with these arguments.
std::string FormatEventParameters(size_t slot, const EventArguments& arguments);

// What the event's own arguments tell of the browser (page or frame) that raised it: the frame
// name it carries and its URL, each "" when it carries none. Nothing is asked of the browser.
void FrameNameAndUrlOf(size_t slot, const EventArguments& arguments, std::string* name, std::string* url);
