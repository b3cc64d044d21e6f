// Whether Media Foundation is started (MFStartup calls outnumber MFShutdown).
#pragma once

namespace MorvalePlatform {

bool mediaFoundationStarted();

}  // namespace MorvalePlatform
