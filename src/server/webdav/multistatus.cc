#include "server/webdav/multistatus.h"

#include <charconv>
#include <limits>
#include <optional>
#include <unordered_map>

#ifndef XML_DTD
#define XML_DTD  // declares the entity amplification limits of expat >= 2.4
#endif
#include <expat.h>

#include "platform/text.h"
#include "server/error.h"
#include "server/webdav/property_name.h"
#include "server/webdav/resource_row.h"
#include "server/webdav/status.h"
#include "wire/names.h"

namespace orvex::server::webdav {
namespace {

// The white space XML lets stand around a value.
constexpr std::string_view kXmlBlanks = " \t\r\n";

// Separates namespace URI and local name in the names expat reports. A
// control character cannot occur in an XML name or namespace URI.
constexpr char kNsSep = '\x01';
using wire::kDav;

struct QName {
  std::string_view ns;
  std::string_view local;
};

QName SplitExpatName(const char* name) {
  std::string_view s(name);
  size_t sep = s.find(kNsSep);
  if (sep == std::string_view::npos) return {{}, s};
  return {s.substr(0, sep), s.substr(sep + 1)};
}

bool Is(QName q, std::string_view ns, std::string_view local) {
  return q.ns == ns && q.local == local;
}

std::optional<int64_t> ParseInt(std::string_view s) {
  s = platform::Trim(s, " \t\r\n");
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  int64_t v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

// What the element at one level of the document is.
enum class Frame {
  kIgnored,      // an element we do not read, and everything inside it
  kMultistatus,  // DAV:multistatus
  kResponse,     // DAV:response
  kHref,         // DAV:href of a response
  kStatus,       // DAV:status of a response or a propstat
  kPropstat,     // DAV:propstat
  kProp,         // DAV:prop of a propstat
  kProperty,     // one property inside DAV:prop
  kValue,        // an xml:v value of a multi-valued property
  kInner,        // any other element inside a property
};

}  // namespace

class MultistatusReader::Impl {
 public:
  Impl(const std::string& encoding, MultistatusLimits limits)
      : limits_(limits), index_(std::make_shared<FieldIndex>(RowColumns())) {
    parser_ = XML_ParserCreateNS(encoding.empty() ? nullptr : encoding.c_str(), kNsSep);
    if (parser_ == nullptr) throw Error(kErrGenericFailure, "out of memory for the XML parser");
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, &Impl::OnStart, &Impl::OnEnd);
    XML_SetCharacterDataHandler(parser_, &Impl::OnText);
    XML_SetStartDoctypeDeclHandler(parser_, &Impl::OnDoctype);
    XML_SetEntityDeclHandler(parser_, &Impl::OnEntityDecl);
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser_, 2.0f);
  }
  ~Impl() { XML_ParserFree(parser_); }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  void Feed(std::string_view piece, bool last) {
    bytes_ += piece.size();
    if (bytes_ > limits_.max_bytes)
      throw Error(kErrGenericFailure, "multistatus response larger than " +
                                          std::to_string(limits_.max_bytes) + " bytes");
    // expat takes int lengths; feed large pieces in slices.
    constexpr size_t kSlice = 1 << 20;
    size_t offset = 0;
    do {
      size_t n = std::min(kSlice, piece.size() - offset);
      bool end = last && offset + n == piece.size();
      if (XML_Parse(parser_, piece.data() + offset, static_cast<int>(n), end) != XML_STATUS_OK)
        Fail();
      offset += n;
    } while (offset < piece.size());
  }

  std::vector<ResourceResponse> Finish() {
    Feed({}, true);
    if (!saw_root_) throw Error(kErrGenericFailure, "multistatus response has no root element");
    return std::move(responses_);
  }

 private:
  [[noreturn]] void Fail() {
    if (!refusal_.empty()) throw Error(kErrGenericFailure, refusal_);
    std::string what = "malformed multistatus response: ";
    what += XML_ErrorString(XML_GetErrorCode(parser_));
    what += " at line " + std::to_string(XML_GetCurrentLineNumber(parser_));
    throw Error(kErrGenericFailure, what);
  }

  void Refuse(const char* why) {
    if (refusal_.empty()) refusal_ = why;
    XML_StopParser(parser_, XML_FALSE);
  }

  static void OnDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    static_cast<Impl*>(self)->Refuse("multistatus response declares a document type");
  }
  static void OnEntityDecl(void* self, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                           const XML_Char*, const XML_Char*, const XML_Char*) {
    static_cast<Impl*>(self)->Refuse("multistatus response declares an entity");
  }
  static void OnStart(void* self, const XML_Char* name, const XML_Char** attrs) {
    static_cast<Impl*>(self)->Start(name, attrs);
  }
  static void OnEnd(void* self, const XML_Char*) { static_cast<Impl*>(self)->End(); }
  static void OnText(void* self, const XML_Char* s, int len) {
    static_cast<Impl*>(self)->Text(std::string_view(s, static_cast<size_t>(len)));
  }

  Frame Child(QName q) {
    if (stack_.empty()) {
      if (!Is(q, kDav, "multistatus")) {
        Refuse("response root is not DAV:multistatus");
        return Frame::kIgnored;
      }
      saw_root_ = true;
      return Frame::kMultistatus;
    }
    switch (stack_.back()) {
      case Frame::kMultistatus:
        if (Is(q, kDav, "response")) {
          if (responses_.size() >= limits_.max_responses) {
            Refuse("multistatus response lists more items than the limit allows");
            return Frame::kIgnored;
          }
          responses_.emplace_back().properties = Fields(index_);
          has_href_ = false;
          return Frame::kResponse;
        }
        return Frame::kIgnored;
      case Frame::kResponse:
        if (Is(q, kDav, "href") && !has_href_) return Frame::kHref;
        if (Is(q, kDav, "status")) return Frame::kStatus;
        if (Is(q, kDav, "propstat")) {
          pending_.clear();
          propstat_status_ = 0;
          return Frame::kPropstat;
        }
        return Frame::kIgnored;
      case Frame::kPropstat:
        if (Is(q, kDav, "prop")) return Frame::kProp;
        if (Is(q, kDav, "status")) return Frame::kStatus;
        return Frame::kIgnored;
      case Frame::kProp:
        return Frame::kProperty;
      case Frame::kProperty:
        // Values of a multi-valued property. An untyped property whose
        // children are all such values (a server that keeps dead properties
        // without their attributes) reads as multi-valued too.
        if ((multi_ || dt_.empty()) && Is(q, wire::kValuesNs, "v")) {
          saw_value_ = true;
          return Frame::kValue;
        }
        if (Is(property_->name, kDav, "resourcetype") && Is(q, kDav, "collection"))
          collection_ = true;
        has_children_ = true;
        return Frame::kInner;
      case Frame::kValue:
      case Frame::kInner:
        return Frame::kInner;
      default:
        return Frame::kIgnored;
    }
  }

  void Start(const XML_Char* name, const XML_Char** attrs) {
    if (!stack_.empty() && stack_.back() == Frame::kIgnored) {
      stack_.push_back(Frame::kIgnored);
      return;
    }
    Frame f = Child(SplitExpatName(name));
    switch (f) {
      case Frame::kHref:
      case Frame::kStatus:
        text_.clear();
        break;
      case Frame::kValue:
        value_text_.clear();
        break;
      case Frame::kProperty:
        property_ = &PropertyNamed(name);
        dt_.clear();
        for (const XML_Char** a = attrs; a != nullptr && *a != nullptr; a += 2) {
          if (Is(SplitExpatName(a[0]), wire::kTypesNs, "dt")) dt_ = a[1];
        }
        multi_ = dt_.rfind("mv.", 0) == 0;
        saw_value_ = false;
        values_.clear();
        text_.clear();
        collection_ = false;
        has_children_ = false;
        break;
      default:
        break;
    }
    stack_.push_back(f);
  }

  void End() {
    Frame f = stack_.back();
    stack_.pop_back();
    switch (f) {
      case Frame::kHref:
        responses_.back().href = std::string(platform::Trim(text_, kXmlBlanks));
        has_href_ = true;
        break;
      case Frame::kStatus:
        if (stack_.back() == Frame::kPropstat)
          propstat_status_ = ParseStatusLine(text_);
        else
          responses_.back().status = ParseStatusLine(text_);
        break;
      case Frame::kValue:
        values_.emplace_back(std::move(value_text_));
        value_text_.clear();
        break;
      case Frame::kProperty:
        EndProperty();
        break;
      case Frame::kPropstat:
        EndPropstat();
        break;
      default:
        break;
    }
  }

  void EndProperty() {
    PendingProperty p;
    p.name = property_;
    if (multi_ || (saw_value_ && !has_children_ && platform::Trim(text_, kXmlBlanks).empty()))
      p.value = Variant(std::move(values_));
    else if (has_children_)
      p.value = Variant(std::string(platform::Trim(text_, kXmlBlanks)));
    else
      p.value = TypedValue(dt_, text_);
    p.collection = collection_;
    values_ = {};
    pending_.push_back(std::move(p));
  }

  void EndPropstat() {
    ResourceResponse& r = responses_.back();
    bool ok = propstat_status_ >= 200 && propstat_status_ < 300;
    for (PendingProperty& p : pending_) {
      if (ok) {
        if (p.collection) r.is_collection = true;
        if (p.name->column == FieldIndex::kNone) p.name->column = index_->Add(p.name->full);
        r.properties.AssignColumn(p.name->column, std::move(p.value));
      } else {
        r.failed.emplace_back(p.name->full, propstat_status_);
      }
    }
    pending_.clear();
  }

  void Text(std::string_view s) {
    if (stack_.empty()) return;
    switch (stack_.back()) {
      case Frame::kHref:
      case Frame::kStatus:
      case Frame::kProperty:
        text_ += s;
        break;
      case Frame::kValue:
        value_text_ += s;
        break;
      case Frame::kInner:
        if (!multi_) text_ += s;
        break;
      default:
        break;
    }
  }

  // A property element's name as expat reports it, read once per answer
  // however many responses carry it.
  struct PropertyName {
    QName name;                         // views into the key it is stored under
    std::string full;                   // the full name ("DAV:displayname")
    size_t column = FieldIndex::kNone;  // in index_, once a 2xx propstat held it
  };

  PropertyName& PropertyNamed(const XML_Char* expat_name) {
    std::string_view key(expat_name);
    auto it = property_names_.find(key);
    if (it == property_names_.end()) {
      it = property_names_.emplace(std::string(key), PropertyName{}).first;
      it->second.name = SplitExpatName(it->first.c_str());
      it->second.full = JoinPropertyName(it->second.name.ns, it->second.name.local);
    }
    return it->second;
  }

  struct PendingProperty {
    PropertyName* name = nullptr;
    Variant value;
    bool collection = false;
  };

  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };

  MultistatusLimits limits_;
  uint64_t bytes_ = 0;
  XML_Parser parser_;
  std::string refusal_;
  bool saw_root_ = false;
  std::vector<Frame> stack_;
  std::vector<ResourceResponse> responses_;
  // The index of every response's properties: it grows as names are read.
  std::shared_ptr<FieldIndex> index_;
  bool has_href_ = false;
  std::vector<PendingProperty> pending_;
  int propstat_status_ = 0;
  // Every property name read so far; nodes stay where they are, so
  // pending properties point at them.
  std::unordered_map<std::string, PropertyName, Hash, std::equal_to<>> property_names_;
  // The property being read.
  PropertyName* property_ = nullptr;
  std::string dt_;
  bool multi_ = false;
  bool collection_ = false;
  bool has_children_ = false;
  bool saw_value_ = false;  // an xml:v child was read
  VariantArray values_;
  std::string value_text_;
  std::string text_;
};

Variant TypedValue(std::string_view dt, const std::string& text) {
  if (text.empty() || dt.empty()) return Variant(text);
  if (dt == "boolean") {
    std::string_view t = platform::Trim(text, kXmlBlanks);
    if (t == "1" || t == "true") return Variant(true);
    if (t == "0" || t == "false") return Variant(false);
    return Variant(text);
  }
  if (dt == "int" || dt == "i4") {
    auto v = ParseInt(text);
    if (v && *v >= std::numeric_limits<int32_t>::min() && *v <= std::numeric_limits<int32_t>::max())
      return Variant(static_cast<int32_t>(*v));
    return Variant(text);
  }
  if (dt == "i2") {
    auto v = ParseInt(text);
    if (v && *v >= std::numeric_limits<int16_t>::min() && *v <= std::numeric_limits<int16_t>::max())
      return Variant(static_cast<int16_t>(*v));
    return Variant(text);
  }
  return Variant(text);
}

MultistatusLimits& CurrentMultistatusLimits() {
  static MultistatusLimits limits;
  return limits;
}

MultistatusReader::MultistatusReader(const std::string& encoding, MultistatusLimits limits)
    : impl_(std::make_unique<Impl>(encoding, limits)) {}
MultistatusReader::~MultistatusReader() = default;
void MultistatusReader::Feed(std::string_view piece) { impl_->Feed(piece, false); }
std::vector<ResourceResponse> MultistatusReader::Finish() { return impl_->Finish(); }

std::vector<ResourceResponse> ParseMultistatus(std::string_view body, const std::string& encoding) {
  MultistatusReader reader(encoding);
  reader.Feed(body);
  return reader.Finish();
}

}  // namespace orvex::server::webdav
