#include "tests/support/sized_clips.h"

#include <cstdlib>
#include <functional>
#include <stdexcept>

#include "tests/support/media_fixtures.h"
#include "tests/support/reference_media.h"

namespace morvale_test {

std::string sizedClipName(const SizedClip& clip) {
    std::string name = clip.codec + "_" + clip.pixelFormat + "_" + std::to_string(clip.width) + "x" +
                       std::to_string(clip.height) + "_" + std::to_string(clip.frames) + "f";
    if (!clip.extra.empty()) {
        name += '_';
        name += std::to_string(std::hash<std::string>{}(clip.extra) % 100000);
    }
    return name + "." + clip.container;
}

std::string sizedClip(const SizedClip& clip) {
    return madeFixture(sizedClipName(clip), [&clip](const std::string& partial) {
        const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=" +
                                    std::to_string(clip.width) + "x" + std::to_string(clip.height) +
                                    ":rate=25 -frames:v " + std::to_string(clip.frames) + " -c:v " + clip.codec +
                                    " -pix_fmt " + clip.pixelFormat + " " + clip.extra + " '" + partial + "'";
        if (std::system(command.c_str()) != 0) throw std::runtime_error("cannot make " + partial + ": " + command);
        requireVideoSize(partial, clip.width, clip.height);
    });
}

}  // namespace morvale_test
