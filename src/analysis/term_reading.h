#pragma once

// The reading (読み) of one index term: kana and Latin text is taken over with katakana
// turned into hiragana; only words that contain kanji go to the phonetic lookup; a reading
// in which kanji survive gets the re-check mark for the user to check by hand.

#include <string>
#include <string_view>
#include <vector>

#include "analysis/phonetic.h"
#include "analysis/ruby_text.h"
#include "base/result.h"

namespace mirune {

// Appended to a reading in which the lookup left kanji (U+2605 読み再確認 U+2605).
inline constexpr std::string_view kRecheckMark = "★読み再確認★";

// The reading of `term` (UTF-8, no paragraph break). A reading the user taught for the whole
// term (PhoneticLookup::LearnedReading) is taken as it is, in hiragana. Otherwise the term is
// divided into words; each
// word is located in the term in turn; a kanji word (one with a character of the kanji test,
// char_class.h) is read by `lookup` and turned into hiragana, any other word is turned into
// hiragana itself. When the first word cannot be located in the term, the whole term goes
// to the lookup in one call instead. Unless the reading holds "♭♪", the re-check mark is
// appended when a character of the re-check test remains. Control characters never reach
// the reading, so an entry line keeps its three fields. Fails only when a service fails.
Result<std::string> TermReading(std::string_view term, WordDivider& divider,
                                PhoneticLookup& lookup);

// The reading of `term` with ruby over parts of it (`ruby`: sorted, not overlapping, within
// the term): each ruby's reading for its base, the rest read as TermReading reads words, the
// parts joined at the bases. When the division into words has a boundary at every base's
// ends, the other words keep their readings in the whole term's context; otherwise each
// stretch between bases is read as a term of its own. The memory is not asked for the whole
// term (the caller does that first); the re-check mark is appended as TermReading does.
Result<std::string> RubyTermReading(std::string_view term, const std::vector<RubySpan>& ruby,
                                    WordDivider& divider, PhoneticLookup& lookup);

}  // namespace mirune
