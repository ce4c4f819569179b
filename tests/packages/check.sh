#!/usr/bin/env bash
# Makes the Debian packages of a build folder and checks them as a user of a fresh machine would:
# each holds what it must (a missing file fails here), apt installs them with their dependencies,
# the installed obsmerge merges the sample store, and the consumer project builds and runs
# against the installed library. Installs into the system: for CI's throw-away machine, or run
# it as root where that is wanted (remove with: apt-get remove libmorvanta-dev morvanta-obsmerge
# morvanta-inspector).
#   bash tests/packages/check.sh BUILD_FOLDER WORK_FOLDER
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
work=$2
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

rm -rf "$build/packages"
(cd "$build" && cpack >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
dev=$(ls "$build"/packages/libmorvanta-dev_*.deb)
merge=$(ls "$build"/packages/morvanta-obsmerge_*.deb)
inspector=$(ls "$build"/packages/morvanta-inspector_*.deb)

# What each package must hold.
expect() {
  local package=$1
  shift
  dpkg-deb -c "$package" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/contents"
  for path in "$@"; do
    grep -qx -- "$path" "$work/contents" || { echo "$(basename "$package") lacks $path" >&2; exit 1; }
  done
}
expect "$merge" /usr/bin/obsmerge /usr/bin/obsmerge-lojas /usr/share/doc/morvanta-obsmerge/copyright
expect "$inspector" /usr/bin/morvanta-inspector /usr/share/doc/morvanta-inspector/copyright
headers=()
while IFS= read -r header; do headers+=("/usr/include/$header"); done < <(
  cd "$root" && find morvanta -name '*.h' -not -path '*/detail/*' | sort)
expect "$dev" "${headers[@]}" /usr/share/doc/libmorvanta-dev/copyright \
  /usr/lib/cmake/Morvanta/MorvantaConfig.cmake /usr/lib/cmake/Morvanta/MorvantaConfigVersion.cmake \
  /usr/lib/cmake/Morvanta/MorvantaTargets.cmake /usr/lib/cmake/Morvanta/MorvantaUiTargets.cmake \
  /usr/lib/pkgconfig/morvanta.pc /usr/lib/libmorvanta_core.a /usr/lib/libmorvanta_windows.a
if dpkg-deb -c "$dev" | grep -q "/detail/"; then echo "libmorvanta-dev ships the driver's internals" >&2; exit 1; fi
for package in "$dev" "$merge" "$inspector"; do
  dpkg-deb -f "$package" Package Version Depends Recommends | sed 's/^/  /'
done

# Installed with their dependencies, as `apt install ./package.deb` does.
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$dev" "$merge" "$inspector" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; exit 1; }

# The installed obsmerge on the sample store: the merged observation is read back.
store=$work/package-store.fdb
{ echo "CREATE DATABASE '$store' USER 'SYSDBA' DEFAULT CHARACTER SET WIN1252;"
  cat "$root/programs/obsmerge/sample-store.sql"; } | isql-fb -q -ch UTF8
/usr/bin/obsmerge "$store" SYSDBA </dev/null
merged=$(printf "SET HEADING OFF;\nSELECT CAST(obs_observ AS VARCHAR(80)) FROM fatobservpedido WHERE lja_codigo = 1 AND cpe_codigo = 101;\n" |
  isql-fb -q -ch UTF8 -user SYSDBA "$store" | sed '/^\s*$/d;s/\s*$//')
[ "$merged" = "Entregar pela manhã Cliente pediu nota fiscal" ] || { echo "installed obsmerge left: $merged" >&2; exit 1; }
/usr/bin/morvanta-inspector --list "$root/samples/loja-pedidos/loja-pedidos.form.json" | grep TMorvantaDataset >/dev/null

# The consumer project, against the installed package this time.
bash "$root/tests/consumer/run.sh" /usr "$work/consumer"
echo "packages: built, installed and used: $(basename "$dev") $(basename "$merge") $(basename "$inspector")"
