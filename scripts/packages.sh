# Debian packages the build needs; sourced by ./test and ./run. 7zip packs exported workbooks
# into ZIP archives (the server looks for its program on the PATH). Qt 6 Widgets serves the
# desktop viewer only (the server links none of it).
QUIN_BUILD_PACKAGES=(g++ cmake ninja-build pkg-config zlib1g-dev libssl-dev libcurl4-openssl-dev
  libxml2-dev libboost-dev libxlsxwriter-dev libcairo2-dev libjpeg62-turbo-dev fonts-liberation2
  fonts-dejavu-core libicu-dev 7zip qt6-base-dev)
# cpp-httplib serves the URL probe's tests; nginx stands in front of the server in the browser
# test through a reverse proxy.
QUIN_TEST_PACKAGES=(clang-format clang-tidy libgtest-dev libbenchmark-dev libboost-math-dev chromium nodejs
  libzip-dev libreoffice-calc-nogui libcpp-httplib-dev nginx)
# Only for comparing benchmarks by hand (bench/table_compare.py); not installed by ./test.
QUIN_BENCH_PACKAGES=(python3-pandas python3-numpy)

# Installs the named packages that are not installed yet; does nothing (and needs no network)
# when every one is present.
quin_install_packages() {
  local missing=()
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}
