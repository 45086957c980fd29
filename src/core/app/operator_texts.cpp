// Every header of operator texts in one translation unit: the texts share one namespace, so two
// of them given the same name fail to compile here, instead of one silently standing for the
// other wherever the linker merges them.
#include "core/app/app_texts.h"
#include "core/config/config_texts.h"
#include "core/firmware/firmware_texts.h"
#include "core/lists/list_texts.h"
#include "core/monitor/monitor_texts.h"
#include "core/protocol/protocol_texts.h"
#include "core/support/support_texts.h"
