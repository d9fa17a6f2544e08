#!/usr/bin/env bash
# Sets up this machine's Firebird 3 server (Debian firebird3.0-server) as the archive server of a
# site with several workstations:
#   sudo scripts/site-server.sh --cartella /srv/zelm --server NOME_DI_QUESTO_SERVER \
#        --utente ZELMSITO --password SEGRETA [--demo]
# - installs and starts the system's Firebird service;
# - places the user database (CARTELLA/user/user.fdb) and the archive
#   (CARTELLA/dati/archivio.fdb): kept when they are there, created empty (or with the demo data)
#   otherwise, and registered as the aliases zelm_utenti and zelm_archivio;
# - creates the site's database user (not SYSDBA) with rights on every table and generator;
# - points the users' "Archivio" parameter at SERVER:zelm_archivio;
# - writes CARTELLA/postazione/dati.ini, the file every workstation copies beside its user
#   database folder (<cartella del programma>/user/dati.ini).
# Run again with the same answers it only checks and completes; with different answers it refuses
# (the answers are kept in /etc/zelm/site-server.conf). It never touches the private servers the
# tests start: those use their own folders, ports and security databases.
set -euo pipefail

die() { echo "site-server: $*" >&2; exit 1; }

cartella="" server="" utente="" password="" demo=0
while [[ $# -gt 0 ]]; do
  case "$1" in
    --cartella) cartella=${2:?}; shift 2 ;;
    --server) server=${2:?}; shift 2 ;;
    --utente) utente=${2:?}; shift 2 ;;
    --password) password=${2:?}; shift 2 ;;
    --demo) demo=1; shift ;;
    *) die "opzione sconosciuta: $1 (uso: --cartella C --server S --utente U --password P [--demo])" ;;
  esac
done
[[ -n "$cartella" && -n "$server" && -n "$utente" && -n "$password" ]] ||
  die "servono --cartella, --server, --utente e --password"
[[ "$cartella" == /* ]] || die "--cartella vuole un percorso assoluto"
[[ "$utente" =~ ^[A-Za-z][A-Za-z0-9_]{0,30}$ ]] || die "--utente: lettere, cifre e _ (al più 31)"
[[ "${utente^^}" != SYSDBA ]] || die "--utente: serve un utente del sito, non SYSDBA"
[[ "$password" != *"'"* ]] || die "--password: l'apice non è ammesso"
[[ $EUID -eq 0 ]] || die "va eseguito come root (sudo)"
utente=${utente^^}

# The answers of the first run decide; a second run with others is refused, not applied halfway.
conf=/etc/zelm/site-server.conf
impronta=$(printf '%s' "$password" | sha256sum | cut -d' ' -f1)
risposte="cartella=$cartella
server=$server
utente=$utente
password_sha256=$impronta
demo=$demo"
if [[ -f "$conf" ]]; then
  if [[ "$(cat "$conf")" != "$risposte" ]]; then
    echo "site-server: questo server è già stato configurato con risposte diverse:" >&2
    grep -v password "$conf" | sed 's/^/  /' >&2
    die "nulla è stato cambiato. Per configurarlo di nuovo togliere prima $conf (i database restano)."
  fi
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg -s firebird3.0-server >/dev/null 2>&1; then
  apt-get install -y --no-install-recommends firebird3.0-server
fi
# The package's administrator password (chosen at install) stays the server's.
passfile=/etc/firebird/3.0/SYSDBA.password
[[ -r "$passfile" ]] || die "manca $passfile: reinstallare firebird3.0-server"
# shellcheck source=/dev/null
ISC_USER=SYSDBA; ISC_PASSWORD=$(. "$passfile"; echo "${ISC_PASSWORD:-}")
[[ -n "$ISC_PASSWORD" ]] || die "password di SYSDBA non trovata in $passfile"
export ISC_USER ISC_PASSWORD
servizio() { # start | restart, then wait for the port
  if command -v systemctl >/dev/null && [[ -d /run/systemd/system ]]; then
    if [[ $1 == start ]]; then systemctl enable --now firebird3.0.service; else systemctl restart firebird3.0.service; fi
  else
    service firebird3.0 "$1" >/dev/null || true
  fi
  for _ in $(seq 1 50); do
    (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null && return 0
    sleep 0.2
  done
  die "il servizio Firebird non risponde sulla porta 3050"
}
servizio start

# The databases, written by the server's own account.
utenti_db="$cartella/user/user.fdb" archivio_db="$cartella/dati/archivio.fdb"
mkdir -p "$cartella/user" "$cartella/bin" "$cartella/dati" "$cartella/temp" "$cartella/foto" "$cartella/postazione"
chown firebird:firebird "$cartella/user" "$cartella/dati"
provision=$(command -v zelm-provision || echo "$(dirname "$0")/../build/db/zelm-provision")
[[ -x "$provision" ]] || die "zelm-provision non trovato (installare il pacchetto zelm)"
# Databases that are there are kept, and an archive of an earlier version gains what the product
# now needs (the import's claims table) before the rights below are granted on it.
opzioni=(--keep --server localhost:)
[[ $demo -eq 1 ]] || opzioni+=(--empty)
"$provision" "$cartella" "${opzioni[@]}"

# Aliases: the workstations name the databases, not their paths.
aliases=/etc/firebird/3.0/databases.conf
for voce in "zelm_utenti = $utenti_db" "zelm_archivio = $archivio_db"; do
  nome=${voce%% =*}
  if grep -qE "^[[:space:]]*${nome}[[:space:]]*=" "$aliases"; then
    grep -qxF "$voce" "$aliases" ||
      die "l'alias $nome esiste già in $aliases con un altro percorso: nulla è stato cambiato"
  else
    echo "$voce" >> "$aliases"
    nuovi=1
  fi
done
# The server reads its aliases when it starts.
[[ ${nuovi:-0} -eq 0 ]] || servizio restart

sql() { isql-fb -q -bail -user "$ISC_USER" -password "$ISC_PASSWORD" "localhost:$1"; }
# A site's archive writes through to the disk (the provisioning tool makes quick, unsynchronised
# files for trials and tests).
for db in zelm_utenti zelm_archivio; do
  gfix -user "$ISC_USER" -password "$ISC_PASSWORD" -write sync "localhost:$db"
done
# The site's user, and its rights on everything the product reads and writes.
echo "CREATE OR ALTER USER $utente PASSWORD '$password' USING PLUGIN Srp; COMMIT;" | sql zelm_utenti
for db in zelm_utenti zelm_archivio; do
  sql "$db" <<SQL
SET TERM ^;
EXECUTE BLOCK AS
  DECLARE n VARCHAR(63);
BEGIN
  FOR SELECT TRIM(RDB\$RELATION_NAME) FROM RDB\$RELATIONS
      WHERE COALESCE(RDB\$SYSTEM_FLAG, 0) = 0 INTO :n DO
    EXECUTE STATEMENT 'GRANT ALL ON "' || n || '" TO USER $utente';
  FOR SELECT TRIM(RDB\$GENERATOR_NAME) FROM RDB\$GENERATORS
      WHERE COALESCE(RDB\$SYSTEM_FLAG, 0) = 0 INTO :n DO
    EXECUTE STATEMENT 'GRANT USAGE ON SEQUENCE "' || n || '" TO USER $utente';
END^
SET TERM ;^
COMMIT;
SQL
done
# Every user's archive is the site's, by alias.
sql zelm_utenti <<SQL
UPDATE TABTREBON SET VALORE = '$server:zelm_archivio' WHERE PARAMETRO = 'Archivio';
UPDATE UTENTI SET TREBON = REPLACE(TREBON, 'Archivio=localhost:$archivio_db',
                                   'Archivio=$server:zelm_archivio');
COMMIT;
SQL

# What every workstation needs.
cat > "$cartella/postazione/dati.ini" <<INI
[CONFIG]
Nome Server=$server
Alias=zelm_utenti
Utente=$utente
Password=$password
INI
chmod 640 "$cartella/postazione/dati.ini"
mkdir -p "$(dirname "$conf")"
printf '%s\n' "$risposte" > "$conf"
chmod 600 "$conf"
echo "Server del sito pronto. Copiare $cartella/postazione/dati.ini in <cartella del programma>/user/ di ogni postazione."
