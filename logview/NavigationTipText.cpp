#include "logview/NavigationTipText.h"

#include <cstdio>

namespace {

const char* EndText(NavigationIndex::End end) {
  switch (end) {
    case NavigationIndex::End::Completed:
      return "完了 (DocumentComplete)";
    case NavigationIndex::End::Replaced:
      return "次のナビゲーションで中断";
    case NavigationIndex::End::Failed:
      return "失敗 (NavigateError)";
    case NavigationIndex::End::Quit:
      return "ブラウザーの終了 (OnQuit)";
    default:
      return "継続中";
  }
}

std::string Line(const char* format, long long a, long long b = 0) {
  char text[96];
  std::snprintf(text, sizeof(text), format, a, b);
  return text;
}

}  // namespace

std::string NavigationTipText(const NavigationIndex& index, uint32_t navigation) {
  const NavigationIndex::Navigation& n = index.NavigationAt(navigation);
  std::string text = index.Url(navigation) + "\n";
  text += Line("BeforeNavigate2: %lld ms\n", n.beginMs);
  if (n.completeMs >= 0) text += Line("NavigateComplete2: %lld ms (+%lld ms)\n", n.completeMs, n.completeMs - n.beginMs);
  const int64_t end = n.endMs >= 0 ? n.endMs : index.LastMs();
  const int64_t from = n.completeMs >= 0 ? n.completeMs : n.beginMs;
  text += Line(n.endMs >= 0 ? "終了: %lld ms (+%lld ms)\n" : "最新の行: %lld ms (+%lld ms)\n", end, end - from);
  text += Line("全体: %lld ms\n", end - n.beginMs);
  return text + EndText(n.end);
}
