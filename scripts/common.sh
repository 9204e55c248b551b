# Shared by scripts/run and scripts/test: package installation and the CMake build.
# Sourced, not run.

MVX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

mvx_sudo() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the Debian packages in "$@" that are not installed yet; does nothing (and touches no
# network) when all are there.
mvx_install_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    mvx_sudo apt-get update -qq
    mvx_sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# qt6-translations-l10n gives Qt's own texts (dialog buttons, the key editor's prompt) in Portuguese;
# without it they stay English.
MVX_BUILD_PACKAGES=(build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-websockets-dev libgl-dev
  qt6-qpa-plugins libqt6network6 libqt6websockets6 fonts-dejavu-core
  qt6-translations-l10n)
MVX_TEST_PACKAGES=(qt6-httpserver-dev libbenchmark-dev)
MVX_FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)

# Paths under the checkout count relative to it, so a fresh clone on the same machine hits the cache
# that an earlier build filled.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$MVX_ROOT}"

mvx_jobs() {
  nproc 2>/dev/null || echo 2
}

# mvx_build <build dir> <cmake args...>
mvx_build() {
  local dir="$1"; shift
  cmake -S "$MVX_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" --parallel "$(mvx_jobs)"
}
