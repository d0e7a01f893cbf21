#include "log/EventParameterFormats.h"

#include <cstdio>

#include "log/EventParameterText.h"

EventArguments EventArguments::Text(const char* text) {
  EventArguments arguments;
  arguments.text = text;
  return arguments;
}

EventArguments EventArguments::Numbers(long first, long second) {
  EventArguments arguments;
  arguments.numbers[0] = first;
  arguments.numbers[1] = second;
  return arguments;
}

EventArguments EventArguments::Variants(IDispatch* browser, const VARIANT* a, const VARIANT* b, const VARIANT* c,
                                        const VARIANT* d, const VARIANT* e) {
  EventArguments arguments;
  arguments.browser = browser;
  arguments.variants[0] = a;
  arguments.variants[1] = b;
  arguments.variants[2] = c;
  arguments.variants[3] = d;
  arguments.variants[4] = e;
  return arguments;
}

namespace {

using Read = EventParameterFormat::Read;
using Origin = EventParameterFormat::Origin;

constexpr EventParameterFormat Empty(Origin origin = Origin::None) { return {{}, 0, origin}; }
constexpr EventParameterFormat Text(const char* label) { return {{{label, Read::Text, 0}}, 1, Origin::None}; }
constexpr EventParameterFormat Number(const char* label) { return {{{label, Read::Number, 0}}, 1, Origin::None}; }
constexpr EventParameterFormat Flag(const char* label) { return {{{label, Read::Flag, 0}}, 1, Origin::None}; }
constexpr EventParameterFormat Url(Origin origin) { return {{{"URL:", Read::BstrVariant, 0}}, 1, origin}; }

}  // namespace

// In catalogue order, one per catalogued event.
constexpr EventParameterFormat kEventParameterFormats[] = {
    Text("Text:"),                                                          // StatusTextChange
    {{{"Progress:", Read::Number, 0}, {"ProgressMax:", Read::Number, 1}}, 2, Origin::None},
    {{{"Command:", Read::Number, 0}, {"Enable:", Read::Flag, 1}}, 2, Origin::None},
    Empty(),                                                                // DownloadBegin
    Empty(),                                                                // DownloadComplete
    Text("Text:"),                                                          // TitleChange
    Text("Property:"),                                                      // PropertyChange
    {{{"URL:", Read::BstrVariant, 0},
      {"Flags:", Read::IntegerVariant, 1},
      {"TargetFrameName:", Read::BstrVariant, 2},
      {"PostData:", Read::PostData, 3},
      {"Headers:", Read::BstrVariant, 4}},
     5, Origin::FromBrowser},                                               // BeforeNavigate2
    Empty(),                                                                // NewWindow2
    Url(Origin::FromBrowser),                                               // NavigateComplete2
    Url(Origin::FromBrowserLoaded),                                         // DocumentComplete
    Empty(),                                                                // OnQuit
    Flag("Visible:"),
    Flag("ToolBar:"),
    Flag("MenuBar:"),
    Flag("StatusBar:"),
    Flag("FullScreen:"),
    Flag("TheaterMode:"),
    Flag("Resizable:"),
    Number("Left:"),
    Number("Top:"),
    Number("Width:"),
    Number("Height:"),
    Flag("IsChildWindow:"),                                                 // WindowClosing
    Empty(),                                                                // ClientToHostWindow
    Number("SecureLockIcon:"),
    Empty(),                                                                // FileDownload
    {{{"URL:", Read::BstrVariant, 0}, {"Frame:", Read::BstrVariant, 1}, {"StatusCode:", Read::IntegerVariant, 2}},
     3, Origin::FromBrowser},                                               // NavigateError
    Empty(Origin::FromBrowser),                                             // PrintTemplateInstantiation
    Empty(Origin::FromBrowser),                                             // PrintTemplateTeardown
    Empty(Origin::FromBrowser),                                             // UpdatePageStatus
    Flag("Impacted:"),                                                      // PrivacyImpactedStateChange
};
static_assert(sizeof(kEventParameterFormats) / sizeof(kEventParameterFormats[0]) == kEventCount,
              "one parameter format per catalogued event");

const EventParameterFormat& EventParameterFormatOf(size_t slot) { return kEventParameterFormats[slot]; }

namespace {

std::string ValueText(const EventParameterFormat::Piece& piece, const EventArguments& arguments) {
  char digits[16];
  switch (piece.read) {
    case Read::Text:
      return arguments.text ? arguments.text : "";
    case Read::Number:
    case Read::Flag: {
      const long value = arguments.numbers[piece.argument];
      std::snprintf(digits, sizeof(digits), "%ld", piece.read == Read::Flag ? (value ? 1L : 0L) : value);
      return digits;
    }
    case Read::BstrVariant:
      return TextOfBstrVariant(arguments.variants[piece.argument]);
    case Read::IntegerVariant:
      return TextOfIntegerVariant(arguments.variants[piece.argument]);
    case Read::PostData:
      return TextOfPostData(arguments.variants[piece.argument]);
  }
  return std::string();
}

}  // namespace

std::string FormatEventParameters(size_t slot, const EventArguments& arguments) {
  const EventParameterFormat& format = EventParameterFormatOf(slot);
  std::string text;
  for (size_t i = 0; i < format.pieceCount; ++i) {
    if (i) text += "  ";
    text += format.pieces[i].label;
    text += ValueText(format.pieces[i], arguments);
  }
  return text;
}

void FrameNameAndUrlOf(size_t slot, const EventArguments& arguments, std::string* name, std::string* url) {
  const EventParameterFormat& format = EventParameterFormatOf(slot);
  for (size_t i = 0; i < format.pieceCount; ++i) {
    const std::string label = format.pieces[i].label;
    if (label == "TargetFrameName:" || label == "Frame:")
      *name = ValueText(format.pieces[i], arguments);
    else if (label == "URL:")
      *url = ValueText(format.pieces[i], arguments);
  }
}
