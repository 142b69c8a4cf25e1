#include "docstore/xml_reader.h"

#include <expat.h>

#include "docstore/xml_writer.h"
#include "wire/xml_text.h"

namespace orvex::docstore {
namespace {

constexpr char kSeparator = '\x01';
constexpr size_t kMaxDepth = 64;
constexpr size_t kMaxElements = 100000;

struct ParseState {
  XML_Parser parser = nullptr;
  std::vector<XmlElement> stack;  // open elements; stack[0] is a holder
  size_t elements = 0;
  std::string error;

  void Stop(const std::string& why) {
    if (error.empty()) error = why;
    XML_StopParser(parser, XML_FALSE);
  }
};

void SplitName(const char* full, std::string& ns, std::string& name) {
  std::string_view text(full);
  auto sep = text.find(kSeparator);
  if (sep == std::string_view::npos) {
    ns.clear();
    name = text;
  } else {
    ns = text.substr(0, sep);
    name = text.substr(sep + 1);
  }
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attrs) {
  auto* state = static_cast<ParseState*>(data);
  if (!state->error.empty()) return;
  if (state->stack.size() > kMaxDepth) return state->Stop("elements nested too deeply");
  if (++state->elements > kMaxElements) return state->Stop("too many elements");
  XmlElement element;
  SplitName(name, element.ns, element.name);
  if (!wire::IsXmlText(element.ns)) return state->Stop("a namespace the server cannot store");
  for (int i = 0; attrs[i]; i += 2) {
    XmlAttr attr;
    SplitName(attrs[i], attr.ns, attr.name);
    attr.value = attrs[i + 1];
    if (!wire::IsXmlText(attr.ns) || !wire::IsXmlText(attr.value))
      return state->Stop("an attribute the server cannot store");
    element.attrs.push_back(std::move(attr));
  }
  state->stack.push_back(std::move(element));
}

void XMLCALL OnEnd(void* data, const XML_Char*) {
  auto* state = static_cast<ParseState*>(data);
  if (!state->error.empty() || state->stack.size() < 2) return;
  XmlElement done = std::move(state->stack.back());
  state->stack.pop_back();
  auto& parent = state->stack.back();
  parent.children.push_back(std::move(done));
  parent.texts.emplace_back();
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
  auto* state = static_cast<ParseState*>(data);
  if (!state->error.empty() || state->stack.size() < 2) return;
  // Expat hands over whole characters, so each piece can be checked alone.
  std::string_view piece(text, static_cast<size_t>(length));
  if (!wire::IsXmlText(piece))
    return state->Stop("text the server cannot store (a control character or a non-character)");
  state->stack.back().texts.back().append(piece);
}

void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  static_cast<ParseState*>(data)->Stop("document type declarations are not accepted");
}

void XMLCALL OnEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                      const XML_Char*, const XML_Char*, const XML_Char*) {
  static_cast<ParseState*>(data)->Stop("entity declarations are not accepted");
}

void AppendInner(const XmlElement& element, std::string& out);

void AppendElement(const XmlElement& element, std::string& out) {
  // The xml prefix is bound from the start and may not be declared: names
  // in its namespace are written with it.
  std::string tag = element.ns == wire::kXmlNamespace ? "xml:" + element.name : element.name;
  out += '<';
  out += tag;
  if (element.ns != wire::kXmlNamespace) {
    out += " xmlns=\"";
    out += XmlEscape(element.ns);
    out += '"';
  }
  int n = 0;
  for (const auto& attr : element.attrs) {
    if (attr.ns == wire::kXmlNamespace) {
      out += " xml:" + attr.name + "=\"" + XmlEscape(attr.value) + '"';
    } else if (attr.ns.empty()) {
      out += ' ' + attr.name + "=\"" + XmlEscape(attr.value) + '"';
    } else {
      std::string prefix = "a" + std::to_string(n++);
      out += " xmlns:" + prefix + "=\"" + XmlEscape(attr.ns) + "\" " + prefix + ':' + attr.name +
             "=\"" + XmlEscape(attr.value) + '"';
    }
  }
  out += '>';
  AppendInner(element, out);
  out += "</" + tag + '>';
}

void AppendInner(const XmlElement& element, std::string& out) {
  for (size_t i = 0; i < element.children.size(); ++i) {
    out += XmlEscape(element.texts[i]);
    AppendElement(element.children[i], out);
  }
  out += XmlEscape(element.texts.back());
}

}  // namespace

const XmlElement* XmlElement::Child(std::string_view want_ns, std::string_view want_name) const {
  for (const auto& child : children)
    if (child.Is(want_ns, want_name)) return &child;
  return nullptr;
}

std::string XmlElement::Text() const {
  std::string out;
  for (const auto& text : texts) out += text;
  return out;
}

const std::string* XmlElement::Attr(std::string_view want_ns, std::string_view want_name) const {
  for (const auto& attr : attrs)
    if (attr.ns == want_ns && attr.name == want_name) return &attr.value;
  return nullptr;
}

std::string XmlElement::InnerXml() const {
  std::string out;
  AppendInner(*this, out);
  return out;
}

XmlParseResult ParseXml(std::string_view text) {
  XmlParseResult result;
  ParseState state;
  state.parser = XML_ParserCreateNS(nullptr, kSeparator);
  if (!state.parser) {
    result.error = "out of memory";
    return result;
  }
  state.stack.emplace_back();
  XML_SetUserData(state.parser, &state);
  XML_SetElementHandler(state.parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(state.parser, OnText);
  XML_SetStartDoctypeDeclHandler(state.parser, OnDoctype);
  XML_SetEntityDeclHandler(state.parser, OnEntity);
  XML_SetParamEntityParsing(state.parser, XML_PARAM_ENTITY_PARSING_NEVER);
  auto status = XML_Parse(state.parser, text.data(), static_cast<int>(text.size()), XML_TRUE);
  if (status != XML_STATUS_OK) {
    if (state.error.empty()) state.error = XML_ErrorString(XML_GetErrorCode(state.parser));
  } else if (state.stack.size() != 1 || state.stack[0].children.size() != 1) {
    state.error = "no document element";
  }
  XML_ParserFree(state.parser);
  if (!state.error.empty()) {
    result.error = state.error;
    return result;
  }
  result.root = std::move(state.stack[0].children[0]);
  return result;
}

}  // namespace orvex::docstore
