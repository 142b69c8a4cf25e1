// Message boxes on the Qt toolkit: a QMessageBox with the style's icon and
// buttons (captions in the thread's language), the default button the
// style asks for, answered by the agent when one acts for the person.
#ifndef ORVEX_PLATFORM_QT_QT_MESSAGE_BOX_H_
#define ORVEX_PLATFORM_QT_QT_MESSAGE_BOX_H_

#include <cstdint>
#include <string>

#include "platform/ui/message_box.h"
#include "platform/ui/user_agent.h"

namespace orvex::qt {

int32_t ShowQtMessageBox(const ui::MessageBoxRequest& request, ui::UserAgent* agent,
                         const std::string& screenshot_path);

}  // namespace orvex::qt

#endif  // ORVEX_PLATFORM_QT_QT_MESSAGE_BOX_H_
