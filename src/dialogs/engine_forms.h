// The dialogs as the engine sees its forms (engine/forms.h): the workspace,
// folder, workspace-and-folder and category selection forms, the profile
// form and the progress form's text. The owning automation object hands
// EngineForms() to its engines.
#ifndef ORVEX_DIALOGS_ENGINE_FORMS_H_
#define ORVEX_DIALOGS_ENGINE_FORMS_H_

#include "engine/forms.h"

namespace orvex::dialogs {

// One object for the whole process; each call reaches the calling thread's
// form, creating and loading it on first use.
engine::Forms& EngineForms();

}  // namespace orvex::dialogs

#endif  // ORVEX_DIALOGS_ENGINE_FORMS_H_
