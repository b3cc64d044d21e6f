// Everything the media code uses from COM and Media Foundation, declared for
// Linux. Included through platform/media_foundation.h, never directly.
#pragma once

#include "platform/linux/com_declarations.h"
#include "platform/linux/mf_errors.h"
#include "platform/linux/mf_functions.h"
#include "platform/linux/mf_guids.h"
#include "platform/linux/mf_interfaces.h"
#include "platform/windows_base.h"
#include "platform/linux/mf_writer_declarations.h"
