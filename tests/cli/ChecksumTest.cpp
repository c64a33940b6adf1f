// The update file's SHA-256: the digest as tern-flash takes and shows it, check's line, and
// install --sha256 refusing any other file before the bus is touched.
#include "engine/Checksum.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/CheckCommand.h"
#include "cli/ExitStatus.h"
#include "samples/SmfWriter.h"
#include "status/StatusCodes.h"
#include "tests/cli/InstallHarness.h"

namespace tern::test {
namespace {

constexpr char kAbc[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

samples::Bytes Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The digest of a file's bytes as they are on disk, told apart from the program's reading.
std::string DigestOfFile(const std::string& path) {
    const samples::Bytes bytes = Contents(path);
    return tern::DigestText(*platform::Sha256(bytes.data(), bytes.size()));
}

TEST(Checksum, TakesSixtyFourHexDigitsOfEitherCaseAndNothingElse) {
    std::string upper = kAbc;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::string mixed = kAbc;
    mixed[0] = 'B';
    mixed[63] = 'D';
    struct Case {
        std::string text;
        bool accepted;
    };
    const Case cases[] = {
        {kAbc, true},
        {upper, true},
        {mixed, true},
        {"", false},
        {std::string(kAbc).substr(1), false},  // 63 digits
        {std::string(kAbc) + "0", false},      // 65
        {"0x" + std::string(kAbc).substr(2), false},
        {std::string(kAbc).replace(10, 1, "g"), false},
        {std::string(kAbc).replace(31, 1, " "), false},
        {" " + std::string(kAbc).substr(1), false},
        {std::string(kAbc).replace(40, 1, ":"), false},  // just past '9' in ASCII
        {std::string(kAbc).replace(40, 1, "@"), false},  // just before 'A'
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.text + "'");
        const auto digest = tern::ParseDigest(c.text);
        ASSERT_EQ(digest.has_value(), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(tern::DigestText(*digest), kAbc);  // shown in lower case, whatever was given
        }
    }
}

TEST(Checksum, CheckPrintsTheDigestOfTheWholeFileAndOneChangedByteChangesIt) {
    TempDir dir;
    const std::string path = CopyOfSample(dir);
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunCheck(path, out, err), cli::kExitSuccess) << err.str();
    EXPECT_NE(out.str().find("\nSHA-256: " + DigestOfFile(path) + "\n"), std::string::npos)
        << out.str();

    samples::Bytes bytes = Contents(path);
    bytes[bytes.size() / 2] ^= 0x01;  // in a SysEx data byte: the file still loads
    const std::string changed = dir.Write("changed.mid", bytes);
    std::ostringstream changedOut, changedErr;
    ASSERT_EQ(cli::RunCheck(changed, changedOut, changedErr), cli::kExitSuccess);
    EXPECT_NE(changedOut.str().find("\nSHA-256: " + DigestOfFile(changed) + "\n"),
              std::string::npos);
    EXPECT_NE(DigestOfFile(changed), DigestOfFile(path));
}

TEST_F(InstallTest, TheRightDigestInstallsInEitherCase) {
    std::string hex = DigestOfFile(m_sample);
    for (const bool upper : {false, true}) {
        if (upper) {
            for (char& c : hex) {
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
        }
        m_expectedSha256 = tern::ParseDigest(hex);
        const InstallResult r = Install(m_sample);
        EXPECT_EQ(r.status, cli::kExitSuccess) << r.err;
        EXPECT_EQ(r.writes.size(), 67u);
        EXPECT_NE(r.out.find("SHA-256: " + DigestOfFile(m_sample) + " (as expected)"),
                  std::string::npos)
            << r.out;
        EXPECT_NE(r.out.find(kTextRebooting), std::string::npos);
    }
}

TEST_F(InstallTest, AFileChangedByOneByteIsRefusedBeforeDiscoveryWithBothDigests) {
    const std::string published = DigestOfFile(m_sample);
    samples::Bytes bytes = Contents(m_sample);
    bytes[bytes.size() / 2] ^= 0x01;
    const std::string changed = m_dir.Write("changed.mid", bytes);
    m_expectedSha256 = tern::ParseDigest(published);
    const InstallResult r = Install(changed);
    EXPECT_EQ(r.status, cli::kExitFile);
    EXPECT_TRUE(r.writes.empty());
    EXPECT_EQ(r.err, "SHA-256 mismatch: expected " + published + ", the file has " +
                         DigestOfFile(changed) + ". Nothing was written.\n");
    // Neither the lock nor the bus was touched.
    EXPECT_EQ(r.out.find(kTextSearching), std::string::npos) << r.out;
    EXPECT_FALSE(r.report.discovery.has_value());
    EXPECT_FALSE(r.report.transfer.has_value());
}

TEST_F(InstallTest, WithADigestAFileThatDoesNotLoadFailsBeforeDiscovery) {
    m_expectedSha256 = tern::ParseDigest(kAbc);
    const InstallResult r = Install(m_dir.PathOf("missing.mid"));
    EXPECT_EQ(r.status, cli::kExitFile);
    EXPECT_TRUE(r.writes.empty());
    EXPECT_FALSE(r.report.discovery.has_value());
    EXPECT_EQ(r.err.find("SHA-256"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tern::test
