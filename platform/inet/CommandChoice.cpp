#include "platform/inet/CommandChoice.h"

namespace inet {

PassiveCommand ChoosePassiveCommand(const ServerFeatures& features, const Refusals& refusals,
                                    bool ipv6) {
  if (refusals.has(Refusal::Epsv)) return PassiveCommand::Pasv;
  return features.epsv || !features.answered || ipv6 ? PassiveCommand::Epsv : PassiveCommand::Pasv;
}

ActiveCommand ChooseActiveCommand(const Refusals& refusals, bool ipv6) {
  return ipv6 || !refusals.has(Refusal::Eprt) ? ActiveCommand::Eprt : ActiveCommand::Port;
}

ListingFormat ChooseListingFormat(const ServerFeatures& features, const Refusals& refusals) {
  return features.mlsd && !refusals.has(Refusal::Mlsd) ? ListingFormat::Mlsd : ListingFormat::List;
}

}  // namespace inet
