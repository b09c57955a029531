#pragma once
// Checks where a downloaded update list comes from, with the hall's public key and Windows CNG.
// The format and the accept/refuse rule are the core's (list_signature.h); this side reads the
// files of the program folder and verifies the signature.
//
// The list loader's part:
//   1. UpdateKeyPresent: only then fetch Update.txt.sig beside Update.txt (same folder on the
//      update server). A signature that cannot be fetched is passed as none.
//   2. CheckListOrigin, before the list is read or compared: a refused list gets its reason
//      written to UpdateError.log and is not acted on.
//   3. RecordInstalledSerial with the accepted verdict's serial (when not 0), as soon as the list
//      is accepted: an interrupted update still refuses older releases from then on, and the same
//      release is taken again on the next start.
//
// Files in the program folder:
//   UpdateKey.pem     the hall's public key, PEM "PUBLIC KEY" (P-256), shipped with the hall
//   UpdateSerial.ini  [Release] Serial=<decimal>: the latest release serial accepted; a missing
//                     or malformed value reads as 0

#include <cstddef>
#include <cstdint>
#include <string>

#include "launcher/update/list_signature.h"

namespace gatevane {

// Whether UpdateKey.pem exists in `programFolder` (without trailing separator). Anything under that
// name counts, so an unreadable key refuses lists rather than letting unsigned ones through.
bool UpdateKeyPresent(const std::string& programFolder);

// Judges the list's `listSize` bytes, as downloaded, against the signature file's bytes
// (`signature` null when none was fetched), the key and the recorded serial of `programFolder`.
ListOriginVerdict CheckListOrigin(const std::string& programFolder, const std::uint8_t* list,
                                  std::size_t listSize, const std::uint8_t* signature,
                                  std::size_t signatureSize);

// The serial UpdateSerial.ini holds; 0 when it is missing or malformed.
std::uint32_t InstalledSerial(const std::string& programFolder);

// Writes `serial` into UpdateSerial.ini unless a larger one is there already (the serial never goes
// back). False when the file cannot be written.
bool RecordInstalledSerial(const std::string& programFolder, std::uint32_t serial);

}  // namespace gatevane
