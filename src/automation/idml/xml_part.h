#pragma once

// Parsing one XML part of a package with pugixml. Refuses a document type declaration (an
// IDML part never has one; a DTD is how entity-expansion attacks arrive) and names the part in
// every error.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "base/result.h"

namespace mirune::idml {

// Parse flags shared by reading and saving: processing instructions (InDesign's <?ACE n?>)
// and whitespace-only text are kept, so that a part re-serialised after a change differs from
// the original only where it was changed.
inline constexpr unsigned kXmlParseFlags = pugi::parse_default | pugi::parse_pi |
                                           pugi::parse_ws_pcdata | pugi::parse_declaration |
                                           pugi::parse_doctype;

// Parses `bytes` as the part `part_name`. kFormatError for malformed XML or a DTD.
Result<std::unique_ptr<pugi::xml_document>> ParseXmlPart(std::string_view bytes,
                                                         const std::string& part_name);

// Serialises a document parsed with kXmlParseFlags back to bytes (UTF-8, no added
// indentation, the original declaration kept).
std::string SerializeXml(const pugi::xml_document& document);

// As SerializeXml, writing empty elements as `original` does: InDesign since CS5 writes
// `<Br />`, CS4 `<Br/>`. Keeps a rewritten part as close to its original as the tree allows.
std::string SerializeXmlLike(const pugi::xml_document& document, std::string_view original);

// Attribute value as text ("" when absent) and as a number (`fallback` when absent or not a
// number).
std::string Attr(const pugi::xml_node& node, const char* name);
double AttrNumber(const pugi::xml_node& node, const char* name, double fallback);

// Locale-independent number parsing. ParseNumberList returns {} when any item is not a number.
bool ParseNumber(std::string_view text, double& value);
std::vector<double> ParseNumberList(std::string_view text);

// A reference attribute as Self text: "" for absent, "n" (InDesign's nil) and "".
std::string RefAttr(const pugi::xml_node& node, const char* name);

// The ruby attributes of a CharacterStyleRange or CharacterStyle (RubyFlag, RubyString,
// RubyType).
struct RubyAttributes;
void ReadRubyAttributes(const pugi::xml_node& node, RubyAttributes& ruby);

// A number as IDML writes it: up to ten significant digits, no locale.
std::string FormatNumber(double value);

// The Self of a named resource ("Color/RazozaMark1"): IDML escapes ':' in Selfs as "%3a".
std::string SelfFromName(const std::string& kind, const std::string& name);

}  // namespace mirune::idml
