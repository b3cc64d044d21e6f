// The one include for media code that builds and runs DirectShow filter
// graphs: the graph builder and its control, event, seeking and filter
// interfaces, filters and pins, the sample grabber and its callback,
// AM_MEDIA_TYPE and VIDEOINFOHEADER, CoCreateInstance and the Win32 event
// calls. On Windows these are the system declarations (the sample grabber's
// class IDs come from the strmiids import library, which declares them in no
// header); on Linux our own declarations with the same names, signatures and
// values, implemented over FFmpeg in platform/linux/ds_*.
#pragma once

#include "platform/media_foundation.h"

#ifdef _WIN32
#include <dshow.h>
#include <qedit.h>

extern "C" const CLSID CLSID_SampleGrabber;
extern "C" const CLSID CLSID_NullRenderer;
#else
#include "platform/linux/ds_declarations.h"
#endif
