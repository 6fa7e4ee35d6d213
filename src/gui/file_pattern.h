#pragma once

// The file list's pattern: the filter box's whole text, split at ";" into wildcard patterns
// (blanks around each trimmed). "*" stands for any run of characters, "?" for one; letters
// match in either case, as Windows names do; "*.*" matches every name. A part without
// wildcards, such as the description "(InDesignドキュメント)", matches only a file of that
// very name, so "*.indd; (InDesignドキュメント)" lists the .indd files.

#include <string>
#include <string_view>
#include <vector>

namespace mirune {

// The patterns of a filter text, empty parts left out.
std::vector<std::string> SplitFilePatterns(std::string_view filter_text);

// Whether `name` matches one wildcard pattern (UTF-8; characters, not bytes).
bool MatchesFilePattern(std::string_view name, std::string_view pattern);

// Whether `name` matches any of `patterns`.
bool MatchesAnyFilePattern(std::string_view name, const std::vector<std::string>& patterns);

// Whether the patterns ask for IDML files ("*.idml" in any case): the file list then also
// offers the folders of IDML chapters as books.
bool PatternsListIdmlBooks(const std::vector<std::string>& patterns);

// The filter box's items, in the order they are added at start-up.
inline constexpr std::string_view kFilterItemIndd = "*.indd; (InDesignドキュメント)";
inline constexpr std::string_view kFilterItemIndb = "*.indb; (InDesignブック)";
inline constexpr std::string_view kFilterItemAll = "*.*; (全てのファイル)";
inline constexpr std::string_view kFilterItemIdml = "*.idml; (IDMLファイル)";

// The file list's entry for a folder of IDML chapters: its name and a backslash
// ("chapters\"); LaunchSelection takes the name without it.
std::string BookFolderEntry(std::string_view folder_name);
// The folder name of a book entry; empty when `entry` is a file's.
std::string BookFolderOfEntry(std::string_view entry);

}  // namespace mirune
