// Which command the session uses for a data connection and a listing, chosen from what the
// server listed in FEAT and what it has refused so far. Pure.
#pragma once

#include <cstdint>

#include "platform/inet/ListingParser.h"
#include "platform/inet/ServerReplies.h"

namespace inet {

// Commands a server has shown it does not serve, remembered for the rest of the session so
// that each is tried once:
//   Epsv: refused with 5xx, or answered with a 229 that cannot be read (RFC 2428 allows PASV);
//   Eprt: refused with 5xx on IPv4 (RFC 2428: fall back to PORT);
//   Mlsd: refused with 500 or 502 although FEAT listed MLST (fall back to LIST).
enum class Refusal : uint8_t { Epsv = 1, Eprt = 2, Mlsd = 4 };

class Refusals {
 public:
  void add(Refusal refusal) { m_bits |= static_cast<uint8_t>(refusal); }
  bool has(Refusal refusal) const { return (m_bits & static_cast<uint8_t>(refusal)) != 0; }

 private:
  uint8_t m_bits = 0;
};

enum class PassiveCommand { Epsv, Pasv };
enum class ActiveCommand { Eprt, Port };

// EPSV when the server lists it, when it answered no FEAT (nothing known), or on IPv6 (where
// PASV cannot name an address); PASV once EPSV was refused.
PassiveCommand ChoosePassiveCommand(const ServerFeatures& features, const Refusals& refusals,
                                    bool ipv6);

// EPRT, unless it was refused on IPv4 (PORT then); IPv6 has only EPRT.
ActiveCommand ChooseActiveCommand(const Refusals& refusals, bool ipv6);

// MLSD when FEAT listed it and it was not refused, else LIST.
ListingFormat ChooseListingFormat(const ServerFeatures& features, const Refusals& refusals);

}  // namespace inet
