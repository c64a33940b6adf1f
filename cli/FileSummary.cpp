#include "cli/FileSummary.h"

#include "cli/Checksum.h"

namespace tern::cli {

FileSummary SummariseFile(const CSMF& reader, const std::string& path) {
    FileSummary summary{path,
                        reader.m_dwSize,
                        ImageDigest(reader),
                        reader.m_wFormat,
                        reader.m_wTracks,
                        reader.m_wDivision,
                        {}};
    for (int i = 0; i < reader.m_wTracks && i < CSMF::kMaxTracks; ++i) {
        summary.trackTable.push_back({reader.m_Track[i].dwOffset, reader.m_Track[i].dwLength});
    }
    return summary;
}

}  // namespace tern::cli
