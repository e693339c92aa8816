#!/bin/sh
# Makes the host locales in which wine uses double-byte code pages (932 and
# 936), for the tests of real users' paths, when they are missing.
set -e
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
for locale in ja_JP zh_CN; do
    locale -a 2>/dev/null | grep -qix "$locale.utf-\?8" && continue
    if [ ! -f "/usr/share/i18n/locales/$locale" ]; then
        $sudo apt-get update -qq
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends locales
    fi
    echo "making the locale $locale.UTF-8"
    $sudo localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
done
