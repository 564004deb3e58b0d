// known_hosts lines as OpenSSH writes them (the hashed ones and fingerprints made by ssh-keygen),
// the verdicts on a server's key, and the small pure helpers of the SFTP session.
#include "platform/inet/KnownHosts.h"

#include <gtest/gtest.h>

#include "platform/inet/Base64.h"
#include "platform/inet/InternetApi.h"
#include "platform/inet/SftpPath.h"
#include "platform/inet/SftpStatus.h"
#include "platform/inet/SshHostCheck.h"

namespace inet {
namespace {

constexpr const char* kEd25519 =
    "AAAAC3NzaC1lZDI1NTE5AAAAIFMqozCjEl9bLEqPhypnmbKkIBzCfsPwKuz5cn0J4JTI";
constexpr const char* kEcdsa =
    "AAAAE2VjZHNhLXNoYTItbmlzdHAyNTYAAAAIbmlzdHAyNTYAAABBBDUIm/"
    "MmblnOqgrRFfqYN3JsBCVjGZaMwwrQTciC464"
    "l3acEzXJDNH9aRnooMPVTLRBSPB9Fx5xc5b097QEjbWw=";

HostKey key(const char* type, const char* base64) { return {type, *Base64Decode(base64)}; }

const HostKey kServerEd25519 = key("ssh-ed25519", kEd25519);
const HostKey kServerEcdsa = key("ecdsa-sha2-nistp256", kEcdsa);

TEST(KnownHosts, HashedLinesOfSshKeygenMatchTheirHostAndPortOnly) {
  // ssh-keygen -H of "[127.0.0.1]:2222 ssh-ed25519 ..." and "files.example.jp ecdsa-... ".
  const std::string file =
      std::string("|1|vJd/WtYWq30aAjaKID3sMurExrU=|+HUYxsqbB5NnXet28Kf+YeCvRmw= ") +
      "ssh-ed25519 " + kEd25519 +
      "\n|1|7ZaDtPF7nInjrIIxs7D8G2ezzJE=|clESp23UWvgKdv1cq/CLAY3XhNo= " + "ecdsa-sha2-nistp256 " +
      kEcdsa + "\n";
  EXPECT_EQ(CheckHostKey(file, "127.0.0.1", 2222, kServerEd25519), HostKeyVerdict::Known);
  EXPECT_EQ(CheckHostKey(file, "127.0.0.1", 22, kServerEd25519), HostKeyVerdict::Unknown);
  EXPECT_EQ(CheckHostKey(file, "127.0.0.2", 2222, kServerEd25519), HostKeyVerdict::Unknown);
  EXPECT_EQ(CheckHostKey(file, "FILES.example.jp", 22, kServerEcdsa), HostKeyVerdict::Known);
  EXPECT_EQ(CheckHostKey(file, "files.example.jp", 22, kServerEd25519), HostKeyVerdict::Unknown);
  EXPECT_EQ(KnownKeyTypes(file, "files.example.jp", 22),
            std::vector<std::string>{"ecdsa-sha2-nistp256"});
}

TEST(KnownHosts, PatternsNegationsMarkersAndBrokenLines) {
  const std::string file = std::string("# comment\n\n   \n") + "garbage\n" +  // too few fields
                           "h.example ssh-ed25519 !!notbase64\n" +            // bad key
                           "h.example 1024 35 12345\n" +                      // SSH-1 form
                           "@cert-authority *.example ssh-ed25519 " + kEd25519 + "\n" +
                           "*.example,!bad.example ssh-ed25519 " + kEd25519 + " a comment\r\n" +
                           "[h?.example]:2222 ecdsa-sha2-nistp256 " + kEcdsa + "\n";
  EXPECT_EQ(CheckHostKey(file, "a.example", 22, kServerEd25519), HostKeyVerdict::Known);
  EXPECT_EQ(CheckHostKey(file, "bad.example", 22, kServerEd25519), HostKeyVerdict::Unknown);
  EXPECT_EQ(CheckHostKey(file, "example", 22, kServerEd25519), HostKeyVerdict::Unknown);
  // "*.example" names port 22 alone; another port needs its own "[...]:port" pattern.
  EXPECT_EQ(CheckHostKey(file, "a.example", 2222, kServerEd25519), HostKeyVerdict::Unknown);
  EXPECT_EQ(CheckHostKey(file, "h1.example", 2222, kServerEcdsa), HostKeyVerdict::Known);
  EXPECT_EQ(CheckHostKey(file, "h12.example", 2222, kServerEcdsa), HostKeyVerdict::Unknown);
  // Another key of a type the file holds for the host: changed; a revoked key: revoked.
  const HostKey other = key("ssh-ed25519", kEcdsa);
  EXPECT_EQ(CheckHostKey(file, "a.example", 22, other), HostKeyVerdict::Changed);
  const std::string revoked = file + "@revoked * ssh-ed25519 " + kEd25519 + "\n";
  EXPECT_EQ(CheckHostKey(revoked, "a.example", 22, kServerEd25519), HostKeyVerdict::Revoked);
  EXPECT_EQ(KnownKeyTypes(revoked, "a.example", 22), std::vector<std::string>{"ssh-ed25519"});
  // Two keys of one type (a server moving to a new key): either is known.
  const std::string both = file + "a.example ssh-ed25519 " + kEcdsa + "\n";
  EXPECT_EQ(CheckHostKey(both, "a.example", 22, other), HostKeyVerdict::Known);
  EXPECT_EQ(CheckHostKey(both, "a.example", 22, kServerEd25519), HostKeyVerdict::Known);
}

TEST(KnownHosts, LinesAndFingerprintsAreWrittenAsOpenSshWritesThem) {
  EXPECT_EQ(KnownHostsLine("127.0.0.1", 2222, kServerEd25519),
            std::string("[127.0.0.1]:2222 ssh-ed25519 ") + kEd25519);
  EXPECT_EQ(KnownHostsLine("Files.Example.JP", 22, kServerEcdsa),
            std::string("files.example.jp ecdsa-sha2-nistp256 ") + kEcdsa);
  // As ssh-keygen -lf prints them.
  EXPECT_EQ(HostKeyFingerprint(kServerEd25519),
            "SHA256:T/vePqZM3YZn8qKCPAfszds99sMqq2tvAalcAseVK5M");
  EXPECT_EQ(HostKeyFingerprint(kServerEcdsa), "SHA256:L8Te93mTdjG0hhlKS4Dyv6RcNoLoY7Er+2hiC8RlGc4");
}

TEST(KnownHosts, TheUnknownKeyBoxNamesTheCommandUnlessItWouldNotFit) {
  const std::string detail = UnknownHostKeyDetail("127.0.0.1", 2222, kServerEd25519);
  EXPECT_EQ(detail.find("ssh-ed25519 SHA256:T/vePqZM3YZn8qKCPAfszds99sMqq2tvAalcAseVK5M\r\n"), 0u);
  EXPECT_NE(detail.find("ssh-keyscan -t ed25519 -p 2222 127.0.0.1"), std::string::npos);
  EXPECT_NE(UnknownHostKeyDetail("h", 22, kServerEcdsa).find("ssh-keyscan -t ecdsa h"),
            std::string::npos);
  // A host name too long for the command to fit the box: the fingerprint alone.
  const std::string longName(120, 'x');
  EXPECT_EQ(UnknownHostKeyDetail(longName, 22, kServerEd25519),
            "ssh-ed25519 SHA256:T/vePqZM3YZn8qKCPAfszds99sMqq2tvAalcAseVK5M");
}

TEST(Base64, DecodesWhatItEncodesAndRefusesWhatNoEncodingGives) {
  const std::string samples[] = {"", "f", "fo", "foo", "foob", std::string("\0\xff\x80", 3)};
  for (const std::string& bytes : samples) {
    EXPECT_EQ(Base64Decode(Base64Encode(bytes)), bytes);
    EXPECT_EQ(Base64Decode(Base64Encode(bytes, false)), bytes);
  }
  EXPECT_EQ(Base64Encode("fo"), "Zm8=");
  EXPECT_EQ(Base64Encode("fo", false), "Zm8");
  for (const char* bad : {"Z", "Zm9v!", "Zm=v", "Zm9=", "Zh=="}) {
    EXPECT_FALSE(Base64Decode(bad)) << bad;
  }
}

TEST(SftpPath, RelativeNamesJoinTheCurrentFolderAndHostileNamesAreNoEntries) {
  EXPECT_EQ(JoinRemotePath("/home/u", "a.txt"), "/home/u/a.txt");
  EXPECT_EQ(JoinRemotePath("/", "a"), "/a");
  EXPECT_EQ(JoinRemotePath("/home/u", "/etc"), "/etc");
  EXPECT_EQ(JoinRemotePath("/home/u", ""), "/home/u");
  EXPECT_EQ(JoinRemotePath("/home/u", "../x"), "/home/u/../x");  // the server resolves it
  EXPECT_TRUE(IsPlainEntryName("a b.txt"));
  EXPECT_TRUE(IsPlainEntryName("..."));
  for (const std::string& bad :
       {std::string(), std::string("."), std::string(".."), std::string("a/b"), std::string("a\rb"),
        std::string("a\nb"), std::string("a\0b", 3)}) {
    EXPECT_FALSE(IsPlainEntryName(bad));
  }
}

TEST(SftpStatus, EachStatusHasTheEngineCodeThatMeansTheSame) {
  EXPECT_EQ(SftpStatusError(2), kErrorSftpNoSuchFile);
  EXPECT_EQ(SftpStatusError(3), kErrorSftpPermissionDenied);
  EXPECT_EQ(SftpStatusError(4), kErrorSftpFailure);
  EXPECT_EQ(SftpStatusError(5), kErrorSftpBadMessage);
  EXPECT_EQ(SftpStatusError(7), kErrorInternetConnectionAborted);
  EXPECT_EQ(SftpStatusError(8), kErrorSftpUnsupported);
  EXPECT_EQ(SftpStatusError(11), kErrorSftpFailure);  // version 6's "file already exists"
  EXPECT_EQ(SftpStatusError(99), kErrorSftpFailure);
}

}  // namespace
}  // namespace inet
