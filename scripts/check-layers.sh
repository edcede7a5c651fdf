#!/usr/bin/env bash
# Checks that the layers stand on each other as the layout says:
#   - nothing under src/core includes anything outside src/core, and only src/core/os includes
#     an OS header (<windows.h>, POSIX headers) or a Qt one;
#   - the window logic (src/logic) includes no toolkit, no OS header and nothing of a front end;
#   - orvanectl (src/cli) includes nothing of the window logic or of a front end;
#   - with a build directory given, the linked orvanectl needs no Qt library.
#   scripts/check-layers.sh [build dir]
set -uo pipefail
cd "$(dirname "$0")/.."
bad=0
fail() { echo "check-layers: $*" >&2; bad=1; }

os_headers='<(windows\.h|winbase\.h|shlobj\.h|shellapi\.h|commctrl\.h|unistd\.h|dlfcn\.h|fcntl\.h|sys/[a-z_]+\.h|pwd\.h|dirent\.h|signal\.h|termios\.h)>'
while IFS= read -r hit; do fail "$hit: an OS header outside src/core/os"; done < <(
  grep -rnE "^#include $os_headers" src/core src/logic src/cli --include='*.h' --include='*.cpp' | grep -v '^src/core/os/')
while IFS= read -r hit; do fail "$hit: Qt outside the Qt front end"; done < <(
  grep -rnE '^#include <Q' src/core src/logic src/cli src/win32 --include='*.h' --include='*.cpp')
while IFS= read -r hit; do fail "$hit: the core includes what stands on it"; done < <(
  grep -rnE '^#include "(src/(logic|cli|qt|win32)|tests|palmdesk)/' src/core --include='*.h' --include='*.cpp')
while IFS= read -r hit; do fail "$hit: the window logic includes a front end"; done < <(
  grep -rnE '^#include "src/(cli|qt|win32)/' src/logic --include='*.h' --include='*.cpp')
while IFS= read -r hit; do fail "$hit: orvanectl includes the window logic or a window front end"; done < <(
  grep -rnE '^#include "src/(logic|qt|win32)/' src/cli --include='*.h' --include='*.cpp')

if [ $# -ge 1 ] && [ -x "$1/bin/orvanectl" ]; then
  if ldd "$1/bin/orvanectl" | grep -qi 'libQt'; then fail "$1/bin/orvanectl links Qt"; fi
fi
[ $bad -eq 0 ] && echo "check-layers: the core, the window logic and orvanectl include and link only what they stand on"
exit $bad
