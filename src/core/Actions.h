// The action of a conduit and how it becomes a user's sync preference.
//
// The action lives in the conduit's catalogue record (CONDUIT_REC::dwAction), in the cache file
// and in the profiles: the sync action code in the low 16 bits (1 synchronize, 2 desktop
// overwrites handheld, 4 handheld overwrites desktop, 8 do nothing) and the disabled bit 0x10000
// above it. Any value above 0xFFFF means switched off; switching on again keeps the low 16 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Action values of a conduit record.
inline constexpr std::uint32_t ACTION_SYNC = 1;
inline constexpr std::uint32_t ACTION_PC2HH = 2;
inline constexpr std::uint32_t ACTION_HH2PC = 4;
inline constexpr std::uint32_t ACTION_NOTHING = 8;
inline constexpr std::uint32_t ACTION_DISABLED = 0x10000;
inline constexpr std::uint32_t ACTION_CODE_MASK = 0xFFFF;

// The display name buffer of GetActionName, terminator included.
inline constexpr std::size_t ACTION_NAME_LEN = 64;

// Writes the display name of dwAction into szText (ACTION_NAME_LEN bytes): "Do Nothing" when
// switched off or 8, "Synchronize the files", "Desktop overwrites handheld" or "Handheld
// overwrites Desktop" for 1, 2 and 4. Any other code is treated as synchronize everywhere in the
// tool (tick, popup, Apply), so it is named "Synchronize the files" too.
void GetActionName(std::uint32_t dwAction, char* szText);
std::string ActionName(std::uint32_t dwAction);
// Whether the tool ticks a row for dwAction: switched on and not 8.
bool IsActionTicked(std::uint32_t dwAction);
// The sync preference code Palm's user data library takes for dwAction: 3 (do nothing) when
// switched off or 8, 1 for 2 (desktop overwrites handheld), 2 for 4 (handheld overwrites
// desktop), 0 (synchronize) for 1 and every other value.
std::int32_t SyncPrefCode(std::uint32_t dwAction);
// The action a freshly enumerated conduit of kind dwKind gets (bits of the low byte tested in
// this order): registered 1, backup 4, install 2; dwAction unchanged for any other kind.
std::uint32_t DefaultActionForKind(std::uint32_t dwKind, std::uint32_t dwAction);
// The action that writes a user's sync preference code nCode (0 to 3) back as Apply writes it:
// 0 synchronize, 1 desktop overwrites handheld, 2 handheld overwrites desktop, 3 switched off
// keeping the low bits of dwAction. False for any other code (*pdwAction unchanged).
bool ActionFromSyncPref(std::int32_t nCode, std::uint32_t* pdwAction);
