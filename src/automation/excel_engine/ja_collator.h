#pragma once

// Japanese phonetic collation: the order in which the index workbook sorts readings. One rule
// of its own, in portable code, so that every build sorts the same readings the same way. It
// follows the order of Excel's phonetic sort and of ICU's "ja" collator; docs/collation.md
// lists the few places where it decides otherwise.
//
// Texts compare level by level, each level over the whole text from left to right:
//  1. primary — the letter. Classes in this order: symbols (spaces, punctuation, signs; by code
//     point, full- and half-width forms folded to ASCII and to their CJK forms), digits 0–9 (as
//     characters: "10" < "2"), Latin letters (case and width ignored; Latin-1 and Latin
//     Extended-A letters as their base letter), kana, kanji of JIS X 0208 (level 1 by reading,
//     level 2 by radical: the code page 932 code order), other kanji (by code point), other
//     scripts (by code point).
//     Kana in gojūon order (あいうえお … わゐゑをん); hiragana, katakana and half-width katakana
//     alike; small kana as their full-size kana; voiced and semi-voiced kana as their plain kana;
//     ゔ as う. The long-vowel mark ー after a kana stands for that kana's vowel (かー as かあ,
//     っー as っう); at the start, after ん or after anything else it is a symbol. The iteration
//     marks ゝゞヽヾ after a kana repeat it (ゞ voiced); elsewhere they are symbols. A combining
//     or half-width voiced sound mark joins the kana before it (ｶﾞ as が).
//  2. secondary — plain < voiced < semi-voiced (かき < かぎ < がき; はは < ばば < ぱぱ); Latin
//     letters without accent before accented ones.
//  3. tertiary — ー < small kana < iteration mark < full-size kana (かー < かぁ < かあ,
//     っ < つ); lowercase < uppercase.
//  4. quaternary — hiragana < katakana < half-width katakana (あ < ア < ｱ); ASCII < full-width
//     (a < ａ, 1 < １).
// A shorter text sorts before every longer text that begins with it; the empty text first.
// Texts equal on all four levels (a precomposed が and か with a combining mark, say) compare
// equal: the sort is stable and keeps their order of appearance.

#include <string>
#include <string_view>

namespace mirune {

// The sort key of a UTF-8 text: a byte string whose plain byte order (std::string's <) is the
// collation order. Ill-formed UTF-8 counts as U+FFFD (an other-script character).
std::string JaSortKey(std::string_view text);

// <0, 0 or >0 as `a` sorts before, equal to or after `b`; always the order of their keys.
int JaCompare(std::string_view a, std::string_view b);

// The full-size plain hiragana under which the sort files the kana that `text` begins with:
// hiragana, katakana and half-width katakana alike, small kana as full-size, voiced and
// half-voiced kana (precomposed or with a combining mark) as plain (ｶﾞ, ガ, か゛ → か; ヴ → う;
// ゐ → ゐ). 0 when the text does not begin with a kana. The finished index's headings use it.
char32_t LeadingKanaBase(std::string_view text);

}  // namespace mirune
