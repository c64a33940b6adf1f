// The update file's SHA-256 as tern-flash shows and takes it: 64 hex digits. The digest is
// that of the loaded image, the very bytes an installation plays.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/SMF.h"
#include "platform/Sha256.h"

namespace tern {

// Lower-case hex, two digits a byte.
std::string DigestText(const platform::Sha256Digest& digest);

// 64 hex digits, upper or lower case, nothing else; nothing for any other text.
std::optional<platform::Sha256Digest> ParseDigest(std::string_view text);

// The digest of `reader`'s image (LoadFile succeeded); nothing when it cannot be computed.
std::optional<platform::Sha256Digest> ImageDigest(const CSMF& reader);

}  // namespace tern
