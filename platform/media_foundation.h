// The one include for media code that talks to COM and Media Foundation: the
// source reader and its types, samples, buffers, attributes, PROPVARIANT and
// the start/stop calls. On Windows these are the system declarations; on Linux
// our own declarations with the same names, signatures and values, implemented
// over FFmpeg in platform/linux/.
#pragma once

#include "platform/windows_base.h"

#ifdef _WIN32
#include <objbase.h>
#include <propidl.h>
#include <propvarutil.h>
#include <mfapi.h>
#include <mfidl.h>
#include <mfobjects.h>
#include <mfreadwrite.h>
#include <mferror.h>
#include <mftransform.h>
#else
#include "platform/linux/mf_declarations.h"
#endif
