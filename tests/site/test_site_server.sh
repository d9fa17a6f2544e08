#!/usr/bin/env bash
# The site server's set-up driven as an administrator would, on a private Firebird server of its
# own (its own folder, port and security database; never the machine's service): refusals before
# anything changes, a dry run, the first run, the roles checked with isql-fb as each account, the
# companies' archive, a second run, other answers, and a run that failed halfway.
#   test_site_server.sh BUILD_DIR
set -uo pipefail
build=${1:?build folder}
root=$(cd "$(dirname "$0")/../.." && pwd)
[[ -x /usr/sbin/firebird ]] || { echo "Server Firebird non installato: saltato"; exit 77; }

work=$(mktemp -d /tmp/zelm-site.XXXXXX)
fb="$work/fb" etc="$work/etc" cartella="$work/sito"
port=3150
while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
cleanup() { "$root/scripts/fbserver.sh" stop "$fb" >/dev/null 2>&1; rm -rf "$work"; }
trap cleanup EXIT
"$root/scripts/fbserver.sh" start "$fb" "$port" >/dev/null || exit 1
printf '# Password for firebird SYSDBA user\nISC_USER=sysdba\nISC_PASSWORD="plumbcore"\n' \
  > "$fb/SYSDBA.password"
export ZELM_SITE_FBCONF="$fb" ZELM_SITE_ETC="$etc" \
       ZELM_SITE_SERVIZIO="$root/scripts/fbserver.sh servizio $fb" \
       ZELM_SITE_PROVISION="$build/db/zelm-provision"
unset ISC_USER ISC_PASSWORD

fails=0
check() { # description, then a command that must succeed
  local what=$1; shift
  if "$@"; then echo "ok   - $what"; else echo "FAIL - $what"; fails=$((fails + 1)); fi
}
site() { "$root/scripts/site-server.sh" "$@"; }
comuni=(--cartella "$cartella" --server 127.0.0.1 --porta "$port" --utente ZSITO --demo)
# isql-fb as an account; the password from the environment, as every tool here gets it.
come() { # user password role statement
  ISC_USER=$1 ISC_PASSWORD=$2 isql-fb -q -bail -role "$3" "127.0.0.1/$port:zelm_archivio" <<< "$4" 2>&1
}
come_utenti() {
  ISC_USER=$1 ISC_PASSWORD=$2 isql-fb -q -bail -role "$3" "127.0.0.1/$port:zelm_utenti" <<< "$4" 2>&1
}
admin() {
  ISC_USER=SYSDBA ISC_PASSWORD=plumbcore isql-fb -q "127.0.0.1/$port:$1" <<< "SET HEADING OFF; $2" 2>&1
}
mode() { stat -c '%a' "$1"; }

# --- Refused before anything changes ---------------------------------------------------------
out=$(site "${comuni[@]}" --password SEGRETA1 2>&1 < /dev/null)
check "--password on the command line is refused" grep -q "standard input" <<< "$out"
for bad in "--server 127.0.0.1';DROP" "--cartella relativa" "--cartella /tmp/a'b" "--ascolto 1.2.3.4;x" \
           "--porta 70000" "--utente SYSDBA"; do
  read -r opt val <<< "$bad"
  out=$(printf 'segreta2026\n' | site "${comuni[@]}" "$opt" "$val" 2>&1)
  check "refused: $bad" test $? -ne 0
done
check "nothing recorded after refusals" test ! -e "$etc/site-server.conf"
printf 'operatore=segreta2026\n' > "$work/pw"
chmod 644 "$work/pw"
out=$(site "${comuni[@]}" --password-file "$work/pw" 2>&1)
check "a password file others can read is refused" grep -q "chmod 600" <<< "$out"

# --- Dry run ----------------------------------------------------------------------------------
conf_prima=$(cat "$fb/firebird.conf")
out=$(printf 'segreta2026\n' | site "${comuni[@]}" --prova 2>&1)
check "dry run succeeds" test $? -eq 0
check "dry run says what would change" grep -q "WireCrypt" <<< "$out"
check "dry run changes no configuration" test "$conf_prima" == "$(cat "$fb/firebird.conf")"
check "dry run creates no database" test ! -e "$cartella/user/user.fdb"
check "dry run records nothing" test ! -e "$etc/site-server.conf"

# --- First run ------------------------------------------------------------------------------
printf 'operatore=segreta2026\nlettura=sololettura26\n' > "$work/pw"
chmod 600 "$work/pw"
out=$(site "${comuni[@]}" --password-file "$work/pw" 2>&1)
rc=$?
printf '    %s\n' "${out//$'\n'/$'\n'    }"
check "first run succeeds" test $rc -eq 0
check "the server listens on every interface" \
  bash -c "! grep -qE '^[[:space:]]*RemoteBindAddress' '$fb/firebird.conf'"
check "the wire is encrypted" grep -qE '^WireCrypt = Required' "$fb/firebird.conf"
check "aliases registered" grep -q "^zelm_archivio = $cartella/dati/archivio.fdb" "$fb/databases.conf"
check "the answers are private and carry no password" \
  bash -c "[[ \$(stat -c %a '$etc/site-server.conf') == 600 ]] && ! grep -qi 'password\|segreta' '$etc/site-server.conf'"
check "the operator's workstation file" \
  grep -qxF "Ruolo=ZELM_OPERATORE" "$cartella/postazione/dati.ini"
check "the read-only workstation file" \
  grep -qxF "Utente=ZSITO_LET" "$cartella/postazione-lettura/dati.ini"
check "workstation files are 640" test "$(mode "$cartella/postazione/dati.ini")" == 640
check "the administrator's password is root's only" test "$(mode "$etc/site-server.secret")" == 600
check "the firewall rule is printed" grep -q "dport $port accept" <<< "$out"
adm_pw=$(sed -n 's/^password=//p' "$etc/site-server.secret")

# --- The roles, as each account with a query tool ---------------------------------------------
out=$(come ZSITO segreta2026 ZELM_OPERATORE "UPDATE ZELMMODEL SET CODICE = 'OP' WHERE ID = 1; COMMIT;")
check "the operator changes a sheet" test -z "$out"
out=$(come_utenti ZSITO segreta2026 ZELM_OPERATORE "UPDATE UTENTI SET PROFILOSICUREZZA = 0;")
check "the operator cannot change the users" grep -q "no permission" <<< "$out"
out=$(come ZSITO_LET sololettura26 ZELM_LETTURA "UPDATE ZELMMODEL SET CODICE = 'LE' WHERE ID = 1;")
check "the read-only account cannot change a sheet" grep -q "no permission" <<< "$out"
out=$(come ZSITO_LET sololettura26 ZELM_LETTURA "SET HEADING OFF; SELECT CODICE FROM ZELMMODEL WHERE ID = 1;")
check "the read-only account reads sheets" grep -q "OP" <<< "$out"
out=$(come ZSITO segreta2026 NESSUNO "SELECT COUNT(*) FROM ZELMMODEL;")
check "without its role an account reads nothing" grep -q "no permission" <<< "$out"
out=$(come_utenti ZSITO_ADM "$adm_pw" ZELM_AMMINISTRATORE "UPDATE UTENTI SET INFO2 = INFO2; COMMIT;")
check "the administrator changes the users" test -z "$out"

# --- The companies' archive: the first only, once ---------------------------------------------
archivio() { admin zelm_utenti "SELECT DISTINCT VALORE FROM TABTREBON WHERE PARAMETRO = 'Archivio' AND INTESTAZIONE = '$1';" | tr -d '[:space:]'; }
check "the first company points at the site's archive" \
  test "$(archivio 'CALZATURIFICIO BRENTA')" == "127.0.0.1/$port:zelm_archivio"
adige=$(archivio 'SUOLIFICIO ADIGE')
check "the second company keeps its archive" test "$adige" != "127.0.0.1/$port:zelm_archivio"
admin zelm_utenti "UPDATE TABTREBON SET VALORE = 'altro:archivio' WHERE PARAMETRO = 'Archivio' AND INTESTAZIONE = 'CALZATURIFICIO BRENTA'; COMMIT;" >/dev/null

# --- Second run, same answers: checks and completes -------------------------------------------
out=$(printf 'segreta2026\n' | site "${comuni[@]}" --rete 10.1.2.0/24 2>&1)
check "a second run with the same answers succeeds" test $? -eq 0
check "the firewall rule names the site's network" grep -q "ip saddr 10.1.2.0/24 tcp dport $port" <<< "$out"
check "a second run does not point the companies again" test "$(archivio 'CALZATURIFICIO BRENTA')" == "altro:archivio"
check "a second run keeps the read-only account's password" \
  bash -c "[[ -z \$(ISC_USER=ZSITO_LET ISC_PASSWORD=sololettura26 isql-fb -q -role ZELM_LETTURA 127.0.0.1/$port:zelm_archivio <<< 'SELECT 1 FROM RDB\$DATABASE;' 2>&1 | grep -i error) ]]"

# --- Other answers are refused ----------------------------------------------------------------
out=$(printf 'segreta2026\n' | site --cartella "$cartella" --server altro.server --porta "$port" \
        --utente ZSITO --demo 2>&1)
check "other answers are refused" grep -q "risposte diverse" <<< "$out"

# --- A run that failed halfway still refuses other answers ------------------------------------
etc2="$work/etc2"
out=$(printf 'segreta2026\n' | ZELM_SITE_ETC="$etc2" ZELM_SITE_SERVIZIO=false site "${comuni[@]}" 2>&1)
check "a failing service fails the run" test $? -ne 0
out=$(printf 'segreta2026\n' | ZELM_SITE_ETC="$etc2" site --cartella "$cartella" --server altro \
        --porta "$port" --utente ZSITO --demo 2>&1)
check "after a failure, other answers are still refused" grep -q "risposte diverse" <<< "$out"

# --- Listening on one address: the set-up checks the archive through that address ------------
fb3="$work/fb3" port3=$((port + 1))
while (exec 3<>"/dev/tcp/127.0.0.1/$port3") 2>/dev/null; do port3=$((port3 + 1)); done
"$root/scripts/fbserver.sh" start "$fb3" "$port3" >/dev/null || exit 1
cp "$fb/SYSDBA.password" "$fb3/"
out=$(printf 'segreta2026\n' | ZELM_SITE_FBCONF="$fb3" ZELM_SITE_ETC="$work/etc3" \
        ZELM_SITE_SERVIZIO="$root/scripts/fbserver.sh servizio $fb3" \
        site --cartella "$work/sito3" --server localhost --ascolto 127.0.0.1 --porta "$port3" 2>&1)
rc=$?
"$root/scripts/fbserver.sh" stop "$fb3" >/dev/null 2>&1
check "a server bound to one address is set up and checked through it" test $rc -eq 0
check "it listens on that address only" grep -qE '^RemoteBindAddress = 127\.0\.0\.1$' "$fb3/firebird.conf"
check "the workstations name the server and its port" \
  grep -qxF "Nome Server=localhost/$port3" "$work/sito3/postazione/dati.ini"
[[ $rc -eq 0 ]] || printf '    %s\n' "${out//$'\n'/$'\n'    }"

echo "$fails failures"
[[ $fails -eq 0 ]]
