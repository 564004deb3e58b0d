// For the SFTP tests under AddressSanitizer: libssh2 1.10 (Debian 12's) leaks one BIGNUM each
// time it reads an ECDSA key in OpenSSH's format (gen_publickey_from_ecdsa_openssh_priv_data
// never frees the private exponent it sets; libssh2 1.11 does). The leak is libssh2's, a few
// bytes per log-in, and is suppressed by the entry point it comes through. Its stack goes
// through libcrypto, which the fast unwinder cannot cross, so stacks of allocations are taken
// the slow way here. Without the sanitizers these hooks are never called.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libssh2_userauth_publickey_frommemory\n";
}
