// The automation object of PropertyClass1: twelve read-write properties over
// one property record, and no methods.
#ifndef ORVEX_AUTOMATION_PROPERTY_CLASS1_OBJECT_H_
#define ORVEX_AUTOMATION_PROPERTY_CLASS1_OBJECT_H_

#include <memory>

#include "platform/dispatch.h"
#include "records/property_class1.h"

namespace orvex::automation {

class PropertyClass1Object : public Dispatch {
 public:
  PropertyClass1Object() : record_(std::make_shared<records::PropertyClass1>()) {}
  explicit PropertyClass1Object(std::shared_ptr<records::PropertyClass1> record)
      : record_(std::move(record)) {}

  records::PropertyClass1& record() { return *record_; }

  std::optional<int32_t> GetIdOfName(std::string_view name) const override;
  Variant Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) override;

 private:
  std::shared_ptr<records::PropertyClass1> record_;
};

}  // namespace orvex::automation

#endif  // ORVEX_AUTOMATION_PROPERTY_CLASS1_OBJECT_H_
