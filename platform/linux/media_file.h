// Opening a media file for the source reader, with the results Windows gives:
// a missing file HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) (ERROR_PATH_NOT_FOUND
// when its folder is missing), no access (or a folder) E_ACCESSDENIED, a URL
// scheme other than file MF_E_UNSUPPORTED_SCHEME, and anything that is not a
// regular file holding a media container with at least one audio or video
// stream (empty, truncated or text files, pipes, devices) MF_E_UNSUPPORTED_BYTESTREAM_TYPE.
//
// Any file may have been made by someone else, so FFmpeg is held to reading
// that one file: only the file protocol, only the container formats listed
// in kContainerFormats (no playlists, concatenation lists or image
// sequences, which would name further files or URLs), any other file or URL
// a demuxer tries to open is refused, and every blocking operation on the
// file runs under an IoDeadline. Decoders opened to probe the streams make
// no frame beyond FrameSizeLimits.
#pragma once

#include <string>

#include "platform/linux/ffmpeg_handles.h"
#include "platform/media_foundation.h"

namespace MorvalePlatform {

// FFmpeg's names of the demuxers the platform reads with: MP4/MOV/3GP/M4A,
// AVI, ASF/WMV/WMA, Matroska/WebM, MPEG-TS and MPEG-PS, FLV, and the audio
// files WAV, Wave64, AIFF, MP3, raw AAC (ADTS), FLAC, Ogg, AC-3/E-AC-3, AMR.
extern const char* const kContainerFormats;

// The path of a URL or plain path in UTF-8: a plain path as it is, the path
// of a file:// URL ("file:///a/b", "file://localhost/a/b"); false for a URL
// of another scheme. Only "scheme://" at the very start, with a valid
// scheme name, makes a URL.
bool urlToPath(const std::string& url, std::string& path);

// url is a plain path or a file:// URL, in UTF-8.
HRESULT openMediaFile(const std::string& url, FormatContextPtr& format);

}  // namespace MorvalePlatform
