// Everything DirectShow code uses, declared for Linux. Included through
// platform/direct_show.h, never directly.
#pragma once

#include "platform/linux/ds_errors.h"
#include "platform/linux/ds_functions.h"
#include "platform/linux/ds_guids.h"
#include "platform/linux/ds_interfaces.h"
#include "platform/linux/ds_types.h"
