// Line-end conversion for ASCII transfers (TYPE A): the network form ends lines with CR LF,
// the local form with LF. Streaming: blocks may split a CR LF pair anywhere.
#pragma once

#include <string>
#include <string_view>

namespace inet {

// Local to network: a lone LF becomes CR LF; a CR LF already present stays as it is.
class LfToCrlf {
 public:
  // Appends the converted form of `block` to `out`.
  void convert(std::string_view block, std::string* out);

 private:
  bool m_lastWasCr = false;
};

// Network to local: CR LF becomes LF; any other CR is kept.
class CrlfToLf {
 public:
  // Appends the converted form of `block` to `out`. A CR at the end of a block is held back
  // until the next block shows whether an LF follows.
  void convert(std::string_view block, std::string* out);
  // Appends a CR still held back; call once after the last block.
  void finish(std::string* out);

 private:
  bool m_pendingCr = false;
};

}  // namespace inet
