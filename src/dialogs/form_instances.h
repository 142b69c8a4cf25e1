// One object per form and thread, created on first use and loaded once;
// afterwards it is only hidden, so every later use finds it loaded with the
// state its controls were left in.
//
//   class FolderDlgA {
//    public:
//     static FolderDlgA& Get() { return FormInstances::Get<FolderDlgA>(); }
//     ui::Form& form();
//    private:
//     friend struct FormInstances;
//     FolderDlgA();
//   };
//
// T needs form() returning its ui::Form; Get runs the form's Load handler
// right after constructing it.
#ifndef ORVEX_DIALOGS_FORM_INSTANCES_H_
#define ORVEX_DIALOGS_FORM_INSTANCES_H_

#include <memory>

namespace orvex::dialogs {

struct FormInstances {
  template <class T>
  static T& Get() {
    std::unique_ptr<T>& slot = Slot<T>();
    if (!slot) {
      slot.reset(new T);
      slot->form().Load();
    }
    return *slot;
  }
  // The calling thread's object if it has been created, else nullptr.
  template <class T>
  static T* IfCreated() {
    return Slot<T>().get();
  }

 private:
  template <class T>
  static std::unique_ptr<T>& Slot() {
    thread_local std::unique_ptr<T> slot;
    return slot;
  }
};

}  // namespace orvex::dialogs

#endif  // ORVEX_DIALOGS_FORM_INSTANCES_H_
