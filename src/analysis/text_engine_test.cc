#include "analysis/text_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/utf.h"

namespace mirune {
namespace {

std::string Matches(const char16_t* pattern, std::u16string text) {
  auto p = WildcardPattern::Parse(pattern);
  if (!p) return "bad pattern";
  TextDocument doc(std::move(text));
  std::string out;
  for (const auto& m : doc.FindAll(*p)) {
    if (!out.empty()) out += "|";
    out += Utf16ToUtf8(doc.text().substr(m.begin, m.end - m.begin));
  }
  return out;
}

TEST(WildcardTest, MatchesAsTheAnalysisDefinesThem) {
  struct Case {
    const char16_t* pattern;
    std::u16string text;
    std::string matches;
  } cases[] = {
      // "*" is the shortest run, also across paragraph breaks; matches do not overlap.
      {u"[<]t*[>][>]", u"<tab>>x<t\r>>y", "<tab>>|<t\r>>"},
      {u"[<]t*[>][>]", u"<t<t>>>>", "<t<t>>"},
      {u"[<]*[>]", u"<a<b>c>", "<a<b>"},
      {u"[<]*[>]", u"a<b>c<d>", "<b>|<d>"},
      // "?" is exactly one code unit, any.
      {u"[<]cc:RazozaMark?[>]", u"<cc:RazozaMark1><cc:RazozaMark10><cc:RazozaMark\r>",
       "<cc:RazozaMark1>|<cc:RazozaMark\r>"},
      {u"[<]cc:RazozaMark?[>]*[<]cc:[>]", u"<cc:RazozaMark1>A<cc:>B<cc:RazozaMark2>C<cc:>",
       "<cc:RazozaMark1>A<cc:>|<cc:RazozaMark2>C<cc:>"},
      // Case and width matter.
      {u"[<]cc:RazozaMark?[>]", u"<cc:razozamark1><cc:ＲazozaMark1>", ""},
      // No tail anywhere after the head: no match, and the scan ends.
      {u"[<]t*[>][>]", u"<t<t<t>", ""},
      {u"♭♪*♪♭", u"◆♭♪0012♪♭◆x◆♭♪0013♪♭◆", "♭♪0012♪♭|♭♪0013♪♭"},
      {u"\\<", u"a\\<b<", "<|<"},
      {u"abc*", u"xabcabc", "abc|abc"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Matches(c.pattern, c.text), c.matches) << Utf16ToUtf8(c.pattern);
  }
}

TEST(WildcardTest, RejectsMalformedPatterns) {
  for (const char16_t* bad : {u"[<", u"[ab]", u"a*b*c", u"x\\"}) {
    EXPECT_FALSE(WildcardPattern::Parse(bad).has_value()) << Utf16ToUtf8(bad);
  }
}

TEST(TextDocumentTest, ReplaceAllKeepsHighlightOfTheRest) {
  TextDocument doc(u"a<x>bc<y>d");
  doc.SetHighlight(4, 6, true);  // "bc"
  EXPECT_EQ(doc.ReplaceAll(*WildcardPattern::Parse(u"[<]*[>]"), u""), 2u);
  EXPECT_EQ(doc.text(), u"abcd");
  EXPECT_EQ(doc.HighlightedRuns().size(), 1u);
  EXPECT_EQ(doc.HighlightedRuns()[0].begin, 1u);
  EXPECT_EQ(doc.HighlightedRuns()[0].end, 3u);
}

TEST(TextDocumentTest, ReplacementTakesTheHighlightOfItsMatch) {
  TextDocument doc(u"x\\<y");
  doc.SetHighlight(1, 4, true);
  doc.ReplaceAll(WildcardPattern::Literal(u"\\<"), u"<");
  EXPECT_EQ(doc.text(), u"x<y");
  EXPECT_FALSE(doc.highlighted(0));
  EXPECT_TRUE(doc.highlighted(1));
  EXPECT_TRUE(doc.highlighted(2));
}

TEST(TextDocumentTest, ShrinkingAndGrowingReplacementsAgree) {
  // A replacement no longer than the shortest match compacts the text in place; a longer one
  // builds a new text. Both must give what a plain rebuild gives, highlight included.
  struct Case {
    const char16_t* text;
    const char16_t* pattern;
    const char16_t* replacement;
    const char16_t* want;
    const char* flags;  // one per code unit of `want`
  } cases[] = {
      {u"ab<x>cd<yy>e", u"[<]*[>]", u"", u"abcde", "00111"},
      {u"ab<x>cd<yy>e", u"[<]*[>]", u"#", u"ab#cd#e", "0001111"},
      {u"ab<x>cd<yy>e", u"[<]*[>]", u"[]", u"ab[]cd[]e", "000011111"},
      {u"ab<x>cd<yy>e", u"[<]*[>]", u"{{{}}}", u"ab{{{}}}cd{{{}}}e", "00000000111111111"},
      {u"x<a<y", u"<", u"", u"xay", "001"},
      {u"x<a<y", u"<", u"<<<", u"x<<<a<<<y", "000001111"},
      {u"none", u"[<]*[>]", u"", u"none", "0001"},
  };
  for (const auto& c : cases) {
    TextDocument doc(c.text);
    // Highlight from the fourth code unit on, so the flags show where text moved.
    doc.SetHighlight(3, doc.size(), true);
    doc.ReplaceAll(*WildcardPattern::Parse(c.pattern), c.replacement);
    EXPECT_EQ(doc.text(), c.want) << Utf16ToUtf8(c.text) << " / " << Utf16ToUtf8(c.replacement);
    std::string flags;
    for (size_t i = 0; i < doc.size(); ++i) flags += doc.highlighted(i) ? '1' : '0';
    EXPECT_EQ(flags, c.flags) << Utf16ToUtf8(c.text) << " / " << Utf16ToUtf8(c.replacement);
  }
}

TEST(TextDocumentTest, TouchingAndOverlappingMatchesMakeOneRun) {
  TextDocument doc(u"<a>x<b>y");
  doc.HighlightAll(*WildcardPattern::Parse(u"[<]a[>]x"));
  doc.HighlightAll(*WildcardPattern::Parse(u"x[<]b[>]"));
  ASSERT_EQ(doc.HighlightedRuns().size(), 1u);
  EXPECT_EQ(doc.HighlightedRuns()[0].begin, 0u);
  EXPECT_EQ(doc.HighlightedRuns()[0].end, 7u);
}

TEST(TextDocumentTest, HostileInputIsOnePass) {
  // 100,000 "<t" and no ">>": a rescan per head would take minutes; this returns at once.
  std::u16string text;
  for (int i = 0; i < 100000; ++i) text += u"<t";
  TextDocument doc(text);
  EXPECT_EQ(doc.ReplaceAll(*WildcardPattern::Parse(u"[<]t*[>][>]"), u""), 0u);
  EXPECT_EQ(doc.ReplaceAll(*WildcardPattern::Parse(u"[<]*[>]"), u""), 0u);
  text += u">";
  TextDocument closed(text);
  EXPECT_EQ(closed.ReplaceAll(*WildcardPattern::Parse(u"[<]*[>]"), u""), 1u);
  EXPECT_EQ(closed.text(), u"");
}

}  // namespace
}  // namespace mirune
