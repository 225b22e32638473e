#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs to build (native and
# mingw-w64) and to run the Windows binaries under Wine. Installs only what is
# missing, so running it again changes nothing.
set -euo pipefail

packages=(
  cmake g++ make
  googletest libgtest-dev libbenchmark-dev libfftw3-dev
  # Audio files (libsndfile) and drawing (cairo) of the native tools.
  libsndfile1-dev libcairo2-dev pkg-config
  # The null test's clock-drift correction: libsoxr's resampler.
  libsoxr-dev
  # The native editors: X11 windows, cairo drawing, fonts through fontconfig.
  libx11-dev libfontconfig-dev libfreetype-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  # scripts/build-mingw-deps.sh: Debian's source packages of libsndfile, its
  # codecs and libsoxr, unpacked (dpkg-source, patch, xz) and cross-built.
  dpkg-dev patch xz-utils
  wine64 xvfb xauth
  fonts-liberation fonts-dejavu-core
  imagemagick
  # A host we did not write for the native plug-ins: Ardour's VST 2 scanner.
  ardour
  # The release packages: manual pages from --help, the .deb's dependencies
  # (dpkg-shlibdeps, which needs file), and reading them back in their tests.
  help2man dpkg-dev file man-db unzip
  # flock (wine-run.sh) and the usual file tools; present on most systems.
  util-linux coreutils findutils
)

is_installed() {
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null || true)" = installed ]
}

missing=()
for p in "${packages[@]}"; do
  is_installed "$p" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages are installed"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
# With recommends: Wine needs several recommended X and TLS libraries. Ardour
# without them: they bring JACK and its real-time set-up, which the scanner
# does not use.
others=()
for p in "${missing[@]}"; do
  [ "$p" = ardour ] || others+=("$p")
done
if [ ${#others[@]} -ne 0 ]; then
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${others[@]}"
fi
if [ ${#others[@]} -ne ${#missing[@]} ]; then
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ardour
fi

# Fail loudly if apt-get left anything out.
still_missing=()
for p in "${missing[@]}"; do
  is_installed "$p" || still_missing+=("$p")
done
if [ ${#still_missing[@]} -ne 0 ]; then
  echo "install-deps: still missing: ${still_missing[*]}" >&2
  exit 1
fi
echo "install-deps: done"
