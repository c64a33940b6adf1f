#include "engine/FileSummary.h"

#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "engine/Checksum.h"

namespace tern {

InspectedFile InspectFile(CVexDataPlay& player, const std::string& path) {
    // The hash only reads the image, which the dry run does not change.
    std::optional<platform::Sha256Digest> sha256;
    std::thread hasher;
    try {
        hasher = std::thread([&sha256, &player] { sha256 = ImageDigest(player); });
    } catch (const std::system_error&) {
        // No second thread to be had: the same work, one after the other.
    }
    std::optional<DryRunReport> dryRun;
    try {
        dryRun = RunDryRun(player);
    } catch (const std::bad_alloc&) {
        // Out of memory: the caller says so, once the hasher no longer reads the image.
        if (hasher.joinable()) {
            hasher.join();
        }
        throw;
    }
    if (hasher.joinable()) {
        hasher.join();
    } else {
        sha256 = ImageDigest(player);
    }
    FileSummary summary{path,
                        player.m_dwSize,
                        std::move(sha256),
                        player.m_wFormat,
                        player.m_wTracks,
                        player.m_wDivision,
                        {}};
    for (int i = 0; i < player.m_wTracks && i < CSMF::kMaxTracks; ++i) {
        summary.trackTable.push_back({player.m_Track[i].dwOffset, player.m_Track[i].dwLength});
    }
    return {std::move(summary), std::move(*dryRun)};
}

}  // namespace tern
