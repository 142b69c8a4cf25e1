// QzOrvex: everything a host needs, in one include.
#ifndef QZORVEX_QZORVEX_H_
#define QZORVEX_QZORVEX_H_

#include "qzorvex/connect_orvex.h"
#include "qzorvex/create_object.h"
#include "qzorvex/dispatch.h"
#include "qzorvex/errors.h"
#include "qzorvex/host_map.h"
#include "qzorvex/property_class1.h"
#include "qzorvex/reference.h"
#include "qzorvex/ui.h"
#include "qzorvex/upload_progress.h"
#include "qzorvex/variant.h"
#include "qzorvex/version.h"
#include "qzorvex/wire_trace.h"

#endif  // QZORVEX_QZORVEX_H_
