#include "automation/idml/xml_part.h"

#include "automation/idml/idml_package.h"

#include <charconv>
#include <cstdio>
#include <new>

#include "base/control_chars.h"

namespace mirune::idml {

namespace {

// What is wrong with the XML, in the user's words.
const char* ParseFailure(pugi::xml_parse_status status) {
  switch (status) {
    case pugi::status_out_of_memory:
      return "メモリーが足りません";
    case pugi::status_unrecognized_tag:
    case pugi::status_bad_start_element:
      return "要素の開始タグが正しくありません";
    case pugi::status_bad_pi:
      return "処理命令が正しくありません";
    case pugi::status_bad_comment:
      return "コメントが正しくありません";
    case pugi::status_bad_cdata:
      return "CDATA 区間が正しくありません";
    case pugi::status_bad_doctype:
      return "文書型宣言が正しくありません";
    case pugi::status_bad_pcdata:
      return "文字データが正しくありません";
    case pugi::status_bad_attribute:
      return "属性が正しくありません";
    case pugi::status_bad_end_element:
      return "終了タグが正しくありません";
    case pugi::status_end_element_mismatch:
      return "終了タグが開始タグと対応していません";
    case pugi::status_no_document_element:
      return "ルート要素がありません";
    default:
      return "XML として読めません";
  }
}

// The length of the character reference at `at` ("&#0;", "&#x1B;") when it names a control
// character the program removes from text (base/control_chars.h); 0 otherwise.
size_t ControlReferenceLength(std::string_view bytes, size_t at) {
  size_t i = at + 2;
  int base = 10;
  if (i < bytes.size() && (bytes[i] == 'x' || bytes[i] == 'X')) {
    base = 16;
    ++i;
  }
  const size_t digits = i;
  uint32_t value = 0;
  while (i < bytes.size() && i - digits < 8) {
    int digit = -1;
    const char c = bytes[i];
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) break;
    value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
    ++i;
  }
  if (i == digits || i >= bytes.size() || bytes[i] != ';') return 0;
  return IsRemovedControl(value) ? i + 1 - at : 0;
}

// The part without references to removed control characters: "&#0;" would otherwise become a
// NUL that ends the text there, and the rest of a term would be lost. Empty when there is
// none (the common case costs no copy).
std::string WithoutControlReferences(std::string_view bytes) {
  std::string out;
  size_t copied = 0;
  for (size_t at = bytes.find("&#"); at != std::string_view::npos; at = bytes.find("&#", at + 2)) {
    const size_t length = ControlReferenceLength(bytes, at);
    if (length == 0) continue;
    if (out.empty()) out.reserve(bytes.size());
    out.append(bytes.substr(copied, at - copied));
    copied = at + length;
    at = copied - 2;
  }
  if (copied == 0) return {};
  out.append(bytes.substr(copied));
  return out;
}

}  // namespace

Result<std::unique_ptr<pugi::xml_document>> ParseXmlPart(std::string_view bytes,
                                                         const std::string& part_name) {
  try {
    const std::string cleaned = WithoutControlReferences(bytes);
    if (!cleaned.empty()) bytes = cleaned;
    auto document = std::make_unique<pugi::xml_document>();
    const pugi::xml_parse_result parsed =
        document->load_buffer(bytes.data(), bytes.size(), kXmlParseFlags, pugi::encoding_auto);
    if (parsed.status == pugi::status_out_of_memory) {
      return Error{ErrorCode::kInternal, "部品 " + part_name + " を読み込むメモリーが足りません"};
    }
    if (!parsed) {
      return Error{ErrorCode::kFormatError, "部品 " + part_name + " は正しい XML ではありません（" +
                                                std::to_string(parsed.offset) +
                                                " バイト目: " + ParseFailure(parsed.status) + "）"};
    }
    for (pugi::xml_node child = document->first_child(); child; child = child.next_sibling()) {
      if (child.type() == pugi::node_doctype) {
        return Error{ErrorCode::kFormatError,
                     "部品 " + part_name + " に文書型宣言（DOCTYPE）があるため読み込みません"};
      }
    }
    if (!document->document_element()) {
      return Error{ErrorCode::kFormatError, "部品 " + part_name + " にルート要素がありません"};
    }
    return document;
  } catch (const std::bad_alloc&) {
    return Error{ErrorCode::kInternal, "部品 " + part_name + " を読み込むメモリーが足りません"};
  }
}

namespace {
struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};
}  // namespace

std::string SerializeXml(const pugi::xml_document& document) {
  StringWriter writer;
  document.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  // The line end after the declaration is not part of the tree; InDesign writes one.
  if (writer.out.starts_with("<?xml")) {
    const size_t end = writer.out.find("?>");
    if (end != std::string::npos && end + 2 < writer.out.size() && writer.out[end + 2] == '<') {
      writer.out.insert(end + 2, "\n");
    }
  }
  return writer.out;
}

std::string SerializeXmlLike(const pugi::xml_document& document, std::string_view original) {
  const std::string out = SerializeXml(document);
  const bool spaced = original.find(" />") != std::string_view::npos;
  const bool apostrophes = original.find("&apos;") != std::string_view::npos &&
                           out.find("<![CDATA[") == std::string::npos;
  // Outside tags the serialised text never holds a raw '<' or '>', so "/>" only closes an
  // empty element and a quote outside a tag is text.
  std::string like;
  like.reserve(out.size() + out.size() / 16);
  bool in_tag = false;
  for (size_t i = 0; i < out.size(); ++i) {
    const char c = out[i];
    if (c == '<') in_tag = true;
    if (c == '>') in_tag = false;
    if (spaced && in_tag && c == '/' && i + 1 < out.size() && out[i + 1] == '>' && i > 0 &&
        out[i - 1] != ' ') {
      like += ' ';
    }
    if (apostrophes && !in_tag && c == '\'') {
      like += "&apos;";
      continue;
    }
    like += c;
  }
  if (!original.empty() && original.back() == '\n' && !like.empty() && like.back() != '\n') {
    like += '\n';
  }
  return like;
}

std::string Attr(const pugi::xml_node& node, const char* name) {
  return node.attribute(name).value();
}

double AttrNumber(const pugi::xml_node& node, const char* name, double fallback) {
  const pugi::xml_attribute attribute = node.attribute(name);
  if (!attribute) return fallback;
  double value = 0;
  if (!ParseNumber(attribute.value(), value)) return fallback;
  return value;
}

bool ParseNumber(std::string_view text, double& value) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '+')) text.remove_prefix(1);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end != text.data();
}

std::vector<double> ParseNumberList(std::string_view text) {
  std::vector<double> values;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    size_t j = i;
    while (j < text.size() && text[j] != ' ') ++j;
    if (j > i) {
      double value = 0;
      if (!ParseNumber(text.substr(i, j - i), value)) return {};
      values.push_back(value);
    }
    i = j;
  }
  return values;
}

std::string RefAttr(const pugi::xml_node& node, const char* name) {
  std::string value = node.attribute(name).value();
  if (value == "n") return "";
  return value;
}

void ReadRubyAttributes(const pugi::xml_node& node, RubyAttributes& ruby) {
  if (const pugi::xml_attribute flag = node.attribute("RubyFlag")) {
    ruby.flag = std::string_view(flag.value()) == "true" ? 1 : 0;
  }
  if (const pugi::xml_attribute string = node.attribute("RubyString")) {
    ruby.string_set = true;
    ruby.string = string.value();
  }
  if (const pugi::xml_attribute type = node.attribute("RubyType")) {
    ruby.per_character = std::string_view(type.value()) == "PerCharacterRuby" ? 1 : 0;
  }
}

std::string FormatNumber(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.10g", value);
  return buffer;
}

std::string SelfFromName(const std::string& kind, const std::string& name) {
  std::string out = kind + "/";
  for (char c : name) {
    if (c == ':') {
      out += "%3a";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace mirune::idml
