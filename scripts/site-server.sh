#!/bin/bash
# Sets up this machine's Firebird 3 server (Debian firebird3.0-server) as the archive server of a
# site with several workstations:
#   sudo scripts/site-server.sh --cartella /srv/zelm --server NOME_DI_QUESTO_SERVER \
#        [--utente ZELMSITO] [--ascolto INDIRIZZO] [--porta 3050] [--rete 192.168.1.0/24] \
#        [--ditta N|NOME]... [--demo] [--prova] [--password-file FILE]  < password
# - installs and starts the system's Firebird service, listening on INDIRIZZO (default every
#   interface) with the wire encrypted (WireCrypt = Required);
# - places the user database (CARTELLA/user/user.fdb) and the archive
#   (CARTELLA/dati/archivio.fdb): kept when they are there, created empty (or with the demo data)
#   otherwise, and registered as the aliases zelm_utenti and zelm_archivio;
# - creates the roles ZELM_OPERATORE, ZELM_LETTURA and ZELM_AMMINISTRATORE in both databases and
#   one account per role: UTENTE (operator), UTENTE_LET (read only), UTENTE_ADM (administrator);
# - on the first run only, points the "Archivio" parameter of the companies named (default the
#   first) at SERVER:zelm_archivio;
# - writes CARTELLA/postazione/dati.ini (operator) and CARTELLA/postazione-lettura/dati.ini (read
#   only), the file every workstation copies to <cartella del programma>/user/dati.ini;
# - checks from this machine that the archive answers through the address the workstations use,
#   and prints the firewall rule they need.
# Passwords never travel on a command line: they are read from standard input or from a file only
# root can read, one per line as "operatore=…", "lettura=…", "amministratore=…" (a single line
# without "=" is the operator's); one not given is generated for a new account and written only
# where it is needed (the workstation files, and /etc/zelm/site-server.secret for the
# administrator's). The administrator of the server (SYSDBA) reaches isql-fb and gfix through the
# environment only.
# The answers of the first run are recorded before anything changes (/etc/zelm/site-server.conf,
# without passwords): a second run with the same answers only checks and completes, one with
# different answers is refused, also after a first run that failed halfway. --prova prints what
# would change and changes nothing.
# It never touches the private servers the tests start: those use their own folders, ports and
# security databases. The tests drive it on such a server through ZELM_SITE_FBCONF (the server's
# configuration folder), ZELM_SITE_ETC (instead of /etc/zelm), ZELM_SITE_SERVIZIO (the command
# that starts or restarts the server, given "start" or "restart") and ZELM_SITE_PROVISION.
set -euo pipefail
umask 077

die() { echo "site-server: $*" >&2; exit 1; }
uso="uso: site-server.sh --cartella C --server S [--utente U] [--ascolto INDIRIZZO] [--porta P]
       [--rete RETE/BIT] [--ditta N|NOME]... [--demo] [--prova] [--password-file FILE] < password"

cartella="" server="" utente=ZELMSITO ascolto="" porta=3050 rete="" demo=0 prova=0 passfile=""
ditte=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    --cartella) cartella=${2:?}; shift 2 ;;
    --server) server=${2:?}; shift 2 ;;
    --utente) utente=${2:?}; shift 2 ;;
    --ascolto) ascolto=${2:?}; shift 2 ;;
    --porta) porta=${2:?}; shift 2 ;;
    --rete) rete=${2:?}; shift 2 ;;
    --ditta) ditte+=("${2:?}"); shift 2 ;;
    --password-file) passfile=${2:?}; shift 2 ;;
    --demo) demo=1; shift ;;
    --prova) prova=1; shift ;;
    --password|--password=*)
      die "--password non è accettata: una password sulla riga di comando resta visibile in ps e
nella storia dei comandi. Passarla sullo standard input o con --password-file FILE (leggibile
solo da root)." ;;
    -h|--help) echo "$uso"; exit 0 ;;
    *) die "opzione sconosciuta: $1
$uso" ;;
  esac
done

# --- The answers, checked before they reach SQL, INI text or a configuration file ------------
[[ -n "$cartella" && -n "$server" ]] || die "servono --cartella e --server
$uso"
[[ "$cartella" =~ ^(/[A-Za-z0-9._+-]+)+$ && "$cartella" != */. && "$cartella" != */.. &&
   "$cartella" != */./* && "$cartella" != */../* ]] ||
  die "--cartella: un percorso assoluto di lettere, cifre e . _ + - (senza spazi, apici, . o ..)"
nome_host='^[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?(\.[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*$'
[[ ${#server} -le 253 && "$server" =~ $nome_host ]] ||
  die "--server: il nome o l'indirizzo IPv4 con cui le postazioni raggiungono questo server"
case "$ascolto" in ""|"*"|0.0.0.0|tutte) ascolto="" ;; esac
[[ -z "$ascolto" || ( ${#ascolto} -le 253 && "$ascolto" =~ $nome_host ) ]] ||
  die "--ascolto: un indirizzo IPv4 o un nome di questo server (senza: tutte le interfacce)"
[[ "$porta" =~ ^[0-9]{1,5}$ && $porta -ge 1 && $porta -le 65535 ]] || die "--porta: da 1 a 65535"
[[ -z "$rete" || "$rete" =~ ^[0-9]{1,3}(\.[0-9]{1,3}){3}/[0-9]{1,2}$ ]] ||
  die "--rete: una rete IPv4 come 192.168.1.0/24"
[[ "$utente" =~ ^[A-Za-z][A-Za-z0-9_]{0,26}$ ]] || die "--utente: lettere, cifre e _ (al più 27)"
utente=${utente^^}
[[ "$utente" != SYSDBA ]] || die "--utente: serve un utente del sito, non SYSDBA"
for d in ${ditte[@]+"${ditte[@]}"}; do
  [[ -n "$d" && "$d" != *[[:cntrl:]]* && ${#d} -le 64 ]] ||
    die "--ditta: il numero della ditta (come lo elenca --prova) o il suo nome"
done
utente_let="${utente}_LET" utente_adm="${utente}_ADM"

privato=0
[[ -n "${ZELM_SITE_FBCONF:-}" ]] && privato=1
fbconf=${ZELM_SITE_FBCONF:-/etc/firebird/3.0}
etc=${ZELM_SITE_ETC:-/etc/zelm}
[[ $privato -eq 1 || $EUID -eq 0 ]] || die "va eseguito come root (sudo)"
conf="$etc/site-server.conf" segreto="$etc/site-server.secret" fatto="$etc/site-server.archivio"

# --- Passwords: standard input or a file only root reads --------------------------------------
declare -A pw=()
leggi_password() {
  local riga chiave
  while IFS= read -r riga || [[ -n "$riga" ]]; do
    riga=${riga%$'\r'}
    [[ -z "$riga" || "$riga" == \#* ]] && continue
    if [[ "$riga" == *=* ]]; then
      chiave=${riga%%=*}
      case "$chiave" in operatore|lettura|amministratore) pw[$chiave]=${riga#*=} ;;
        *) die "password: chiave sconosciuta \"$chiave\" (operatore, lettura, amministratore)" ;;
      esac
    elif [[ -z "${pw[operatore]:-}" ]]; then
      pw[operatore]=$riga
    else
      die "password: una sola riga senza \"=\" (quella dell'operatore)"
    fi
  done
}
if [[ -n "$passfile" ]]; then
  [[ -f "$passfile" && -r "$passfile" ]] || die "--password-file: $passfile non si legge"
  modo=$(stat -c '%a' "$passfile")
  [[ $(( 8#$modo & 8#077 )) -eq 0 ]] ||
    die "--password-file: $passfile è leggibile da altri (permessi $modo): chmod 600 $passfile"
  [[ $privato -eq 1 || "$(stat -c '%u' "$passfile")" == 0 ]] ||
    die "--password-file: $passfile deve appartenere a root"
  leggi_password < "$passfile"
elif [[ -t 0 ]]; then
  IFS= read -r -s -p "Password dell'operatore ($utente): " riga; echo >&2
  pw[operatore]=$riga
else
  leggi_password
fi
for k in "${!pw[@]}"; do
  v=${pw[$k]}
  [[ ${#v} -ge 8 ]] || die "password $k: almeno 8 caratteri"
  [[ "$v" != *[[:cntrl:]]* && "$v" != [[:space:]]* && "$v" != *[[:space:]] ]] ||
    die "password $k: niente caratteri di controllo né spazi in testa o in coda"
done

# --- Recorded answers ----------------------------------------------------------------------
risposte="cartella=$cartella
server=$server
ascolto=${ascolto:-tutte}
porta=$porta
utente=$utente
ditte=$(IFS=,; echo "${ditte[*]+"${ditte[*]}"}")
demo=$demo"
if [[ -f "$conf" && "$(cat "$conf")" != "$risposte" ]]; then
  echo "site-server: questo server è già stato configurato con risposte diverse:" >&2
  sed 's/^/  /' "$conf" >&2
  die "nulla è stato cambiato. Per configurarlo di nuovo togliere prima $conf (i database restano)."
fi

indirizzo="$server"; [[ $porta -eq 3050 ]] || indirizzo="$server/$porta"
locale="localhost"; [[ $porta -eq 3050 ]] || locale="localhost/$porta"
firebird_conf="$fbconf/firebird.conf" aliases="$fbconf/databases.conf"
utenti_db="$cartella/user/user.fdb" archivio_db="$cartella/dati/archivio.fdb"

# The value a setting of firebird.conf has now (empty when commented out or missing).
valore_conf() {
  [[ -f "$firebird_conf" ]] || return 0
  sed -n "s/^[[:space:]]*$1[[:space:]]*=[[:space:]]*\(.*[^[:space:]]\)[[:space:]]*$/\1/p" \
    "$firebird_conf" | tail -n 1
}
# Sets a setting of firebird.conf (an empty value comments it out: the server's default);
# true when the file changed.
imposta_conf() {
  local chiave=$1 valore=$2 tmp
  [[ "$(valore_conf "$chiave")" != "$valore" ]] || return 1
  tmp=$(mktemp "$firebird_conf.XXXXXX")
  awk -v k="$chiave" -v v="$valore" '
    $0 ~ "^[[:space:]]*" k "[[:space:]]*=" { if (!done && v != "") print k " = " v; else print "#" $0 " # site-server.sh"; done = 1; next }
    { print }
    END { if (!done && v != "") print k " = " v }' "$firebird_conf" > "$tmp"
  chmod --reference="$firebird_conf" "$tmp" 2>/dev/null || chmod 644 "$tmp"
  chown --reference="$firebird_conf" "$tmp" 2>/dev/null || true
  mv "$tmp" "$firebird_conf"
}

provision=${ZELM_SITE_PROVISION:-$(command -v zelm-provision || echo "$(dirname "$0")/../build/db/zelm-provision")}

if [[ $prova -eq 1 ]]; then
  echo "Prova: nulla viene cambiato. Si farebbe:"
  [[ -f "$conf" ]] && echo "- (già configurato con queste risposte: solo verifiche e completamenti)"
  [[ $privato -eq 1 ]] || dpkg -s firebird3.0-server >/dev/null 2>&1 ||
    echo "- installare firebird3.0-server"
  for kv in "RemoteBindAddress=$ascolto" "WireCrypt=Required" "RemoteServicePort=$porta"; do
    k=${kv%%=*} v=${kv#*=}
    [[ $k == RemoteServicePort && $porta -eq 3050 ]] && v=""
    [[ "$(valore_conf "$k")" == "$v" ]] ||
      echo "- $firebird_conf: $k da \"$(valore_conf "$k")\" a \"${v:-(predefinito: tutte le interfacce)}\""
  done
  for nome in zelm_utenti zelm_archivio; do
    grep -qE "^[[:space:]]*${nome}[[:space:]]*=" "$aliases" 2>/dev/null ||
      echo "- alias $nome in $aliases"
  done
  for db in "$utenti_db" "$archivio_db"; do
    if [[ -f "$db" ]]; then echo "- mantenere $db"; else
      echo "- creare $db ($([[ $demo -eq 1 ]] && echo "con i dati dimostrativi" || echo vuoto))"; fi
  done
  echo "- ruoli ZELM_OPERATORE, ZELM_LETTURA, ZELM_AMMINISTRATORE; utenti $utente, $utente_let, $utente_adm"
  if [[ -f "$fatto" ]]; then
    echo "- parametro \"Archivio\" già impostato in una configurazione precedente: non cambia"
  else
    echo "- parametro \"Archivio\" = $indirizzo:zelm_archivio per le ditte: ${ditte[*]:-la prima}"
    if [[ -f "$utenti_db" && -x "$provision" ]]; then
      echo "  ditte del database utenti:"
      "$provision" "$cartella" --ditte 2>/dev/null | nl -w4 -s'. ' || true
    fi
  fi
  echo "- $cartella/postazione/dati.ini e $cartella/postazione-lettura/dati.ini"
  exit 0
fi

mkdir -p "$etc"
chmod 755 "$etc"
# Recorded before anything changes: a run that fails halfway still refuses other answers.
[[ -f "$conf" ]] || { printf '%s\n' "$risposte" > "$conf"; chmod 600 "$conf"; }

# --- The service -----------------------------------------------------------------------------
export DEBIAN_FRONTEND=noninteractive
if [[ $privato -eq 0 ]] && ! dpkg -s firebird3.0-server >/dev/null 2>&1; then
  apt-get install -y --no-install-recommends firebird3.0-server
fi
sysdba="$fbconf/SYSDBA.password"
[[ -r "$sysdba" ]] || die "manca $sysdba: reinstallare firebird3.0-server"
# Read, not sourced: the value of ISC_PASSWORD="…" as the package writes it.
ISC_USER=SYSDBA
ISC_PASSWORD=$(sed -n 's/^[[:space:]]*ISC_PASSWORD=//p' "$sysdba" | tail -n 1)
ISC_PASSWORD=${ISC_PASSWORD%\"}; ISC_PASSWORD=${ISC_PASSWORD#\"}
[[ -n "$ISC_PASSWORD" ]] || die "password di SYSDBA non trovata in $sysdba"
export ISC_USER ISC_PASSWORD
servizio() { # start | restart, then wait for the port
  if [[ -n "${ZELM_SITE_SERVIZIO:-}" ]]; then
    $ZELM_SITE_SERVIZIO "$1" || die "il server non parte ($ZELM_SITE_SERVIZIO $1)"
  elif command -v systemctl >/dev/null && [[ -d /run/systemd/system ]]; then
    if [[ $1 == start ]]; then systemctl enable --now firebird3.0.service; else systemctl restart firebird3.0.service; fi
  else
    service firebird3.0 "$1" >/dev/null || true
  fi
  for _ in $(seq 1 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$porta") 2>/dev/null && return 0
    [[ -n "$ascolto" ]] && (exec 3<>"/dev/tcp/$ascolto/$porta") 2>/dev/null && return 0
    sleep 0.2
  done
  die "il servizio Firebird non risponde sulla porta $porta"
}
cambiato=0
imposta_conf RemoteBindAddress "$ascolto" && cambiato=1
imposta_conf WireCrypt Required && cambiato=1
if [[ $porta -eq 3050 ]]; then
  imposta_conf RemoteServicePort "" && cambiato=1
else
  imposta_conf RemoteServicePort "$porta" && cambiato=1
fi
if [[ $cambiato -eq 1 ]]; then servizio restart; else servizio start; fi
# The local checks below go through the loopback, which a server bound to one address lacks.
[[ -z "$ascolto" ]] || locale="$ascolto"; [[ -z "$ascolto" || $porta -eq 3050 ]] || locale="$ascolto/$porta"

# --- The databases, written by the server's own account -------------------------------------
mkdir -p "$cartella/user" "$cartella/bin" "$cartella/dati" "$cartella/temp" "$cartella/foto" \
         "$cartella/postazione" "$cartella/postazione-lettura"
chmod 755 "$cartella" "$cartella/bin" "$cartella/temp" "$cartella/foto"
chmod 700 "$cartella/postazione" "$cartella/postazione-lettura"
[[ $privato -eq 1 ]] || chown firebird:firebird "$cartella/user" "$cartella/dati"
[[ -x "$provision" ]] || die "zelm-provision non trovato (installare il pacchetto zelm)"
# Databases that are there are kept, and an archive of an earlier version gains what the product
# now needs (the import's claims table) before the rights below are granted on it.
opzioni=(--keep --server "$locale:")
[[ $demo -eq 1 ]] || opzioni+=(--empty)
"$provision" "$cartella" "${opzioni[@]}"

# Aliases: the workstations name the databases, not their paths.
[[ -f "$aliases" ]] || : > "$aliases"
nuovi=0
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
[[ $nuovi -eq 0 ]] || servizio restart

# Credentials of the server's administrator come from the environment (ISC_USER, ISC_PASSWORD).
sql() { isql-fb -q -bail "$locale:$1"; }
# A site's archive writes through to the disk (the provisioning tool makes quick, unsynchronised
# files for trials and tests).
for db in zelm_utenti zelm_archivio; do
  gfix -write sync "$locale:$db"
done

# --- The accounts, one per role ------------------------------------------------------------
genera() { tr -dc 'A-Za-z0-9' < /dev/urandom | head -c 20 || true; }
esiste() {
  [[ "$(printf "SET HEADING OFF;\nSELECT 'PRESENTE' FROM SEC\$USERS WHERE SEC\$USER_NAME = '%s';\n" "$1" |
        sql zelm_utenti | tr -d '[:space:]')" == PRESENTE ]]
}
declare -A account=([operatore]=$utente [lettura]=$utente_let [amministratore]=$utente_adm)
declare -A nuova=()
for k in operatore lettura amministratore; do
  u=${account[$k]}
  if [[ -z "${pw[$k]:-}" ]]; then
    if esiste "$u"; then continue; fi
    [[ $k != operatore ]] || die "manca la password dell'operatore ($u), che non esiste ancora"
    pw[$k]=$(genera)
  fi
  nuova[$k]=1
  # Through standard input, never the command line; a quote is doubled for SQL.
  printf "CREATE OR ALTER USER %s PASSWORD '%s' USING PLUGIN Srp; COMMIT;\n" \
    "$u" "${pw[$k]//\'/\'\'}" | sql zelm_utenti
done
"$provision" "$cartella" --keep --server "$locale:" --ruoli \
  --assegna "ZELM_OPERATORE=$utente" --assegna "ZELM_LETTURA=$utente_let" \
  --assegna "ZELM_AMMINISTRATORE=$utente_adm"

# --- The companies' archive, on the first run only -----------------------------------------
if [[ ! -f "$fatto" ]]; then
  scelte=()
  if [[ ${#ditte[@]} -gt 0 ]]; then
    mapfile -t elenco < <("$provision" "$cartella" --server "$locale:" --ditte)
    for d in "${ditte[@]}"; do
      if [[ "$d" =~ ^[0-9]+$ ]]; then
        [[ $d -ge 1 && $d -le ${#elenco[@]} ]] || die "--ditta $d: le ditte sono ${#elenco[@]} (--prova le elenca)"
        scelte+=(--ditta "${elenco[$((d - 1))]}")
      else
        printf '%s\n' "${elenco[@]}" | grep -qxF -- "$d" || die "--ditta \"$d\": ditta non trovata (--prova le elenca)"
        scelte+=(--ditta "$d")
      fi
    done
  fi
  "$provision" "$cartella" --keep --server "$locale:" --archivio "$indirizzo:zelm_archivio" \
    ${scelte[@]+"${scelte[@]}"}
  date -Is > "$fatto"
fi

# --- What the workstations need ------------------------------------------------------------
# Written private first, given their modes, then moved in place: never readable before.
scrivi_ini() { # file user role password
  local tmp
  tmp=$(mktemp "$1.XXXXXX")
  printf '[CONFIG]\nNome Server=%s\nAlias=zelm_utenti\nUtente=%s\nPassword=%s\nRuolo=%s\n' \
    "$indirizzo" "$2" "$4" "$3" > "$tmp"
  chmod 640 "$tmp"
  mv "$tmp" "$1"
}
ini_op="$cartella/postazione/dati.ini" ini_let="$cartella/postazione-lettura/dati.ini"
if [[ -n "${nuova[operatore]:-}" || ! -f "$ini_op" ]]; then
  [[ -n "${pw[operatore]:-}" ]] || die "per riscrivere $ini_op serve la password dell'operatore"
  scrivi_ini "$ini_op" "$utente" ZELM_OPERATORE "${pw[operatore]}"
fi
if [[ -n "${nuova[lettura]:-}" || ! -f "$ini_let" ]]; then
  [[ -n "${pw[lettura]:-}" ]] || die "per riscrivere $ini_let serve la password della lettura"
  scrivi_ini "$ini_let" "$utente_let" ZELM_LETTURA "${pw[lettura]}"
fi
if [[ -n "${nuova[amministratore]:-}" ]]; then
  tmp=$(mktemp "$segreto.XXXXXX")
  printf 'utente=%s\npassword=%s\nruolo=ZELM_AMMINISTRATORE\n' "$utente_adm" "${pw[amministratore]}" > "$tmp"
  chmod 600 "$tmp"
  mv "$tmp" "$segreto"
fi

# --- Checked as a workstation sees it -------------------------------------------------------
# Through the name the workstations use, or the one address the server listens on.
verso="$indirizzo"
[[ -z "$ascolto" ]] || verso="$locale"
if ! esito=$(ISC_USER=$utente_let ISC_PASSWORD=$(sed -n 's/^Password=//p' "$ini_let") \
       isql-fb -q -role ZELM_LETTURA "$verso:zelm_archivio" 2>&1 <<< "SELECT COUNT(*) FROM ZELMMODEL;"); then
  echo "$esito" >&2
  die "l'archivio non risponde attraverso $verso:zelm_archivio come lo vedranno le postazioni:
controllare che il nome $server si risolva nell'indirizzo di questo server e che il server
ascolti su quell'indirizzo (--ascolto)."
fi

if [[ -z "$rete" ]]; then
  # The network of the address the server listens on (or of the one it reaches the site by).
  ip4=$(getent ahostsv4 "${ascolto:-$server}" 2>/dev/null | awk 'NR == 1 { print $1 }' || true)
  cidr=""
  if command -v ip >/dev/null; then
    cidr=$(ip -o -f inet addr show 2>/dev/null |
             awk -v a="$ip4" '{ split($4, p, "/"); if (p[1] == a) print $4 }' | head -n 1 || true)
  fi
  if [[ -n "$cidr" && "${cidr%/*}" != 127.* ]]; then
    IFS=./ read -r a b c d n <<< "$cidr"
    m=$(( n == 0 ? 0 : (0xFFFFFFFF << (32 - n)) & 0xFFFFFFFF ))
    x=$(( ((a << 24) | (b << 16) | (c << 8) | d) & m ))
    rete="$(( x >> 24 & 255 )).$(( x >> 16 & 255 )).$(( x >> 8 & 255 )).$(( x & 255 ))/$n"
  fi
fi
echo "Server del sito pronto, in ascolto su ${ascolto:-tutte le interfacce}, porta $porta."
echo "Aprire la porta $porta/tcp alle postazioni del sito (e a nessun altro), per esempio:"
echo "  nft add rule inet filter input ip saddr ${rete:-RETE_DEL_SITO/BIT} tcp dport $porta accept"
echo "  oppure: ufw allow from ${rete:-RETE_DEL_SITO/BIT} to any port $porta proto tcp"
echo "Copiare in <cartella del programma>/user/dati.ini di ogni postazione:"
echo "  $ini_op (operatori) o $ini_let (sola lettura)."
[[ -z "${nuova[amministratore]:-}" ]] ||
  echo "La password dell'amministratore ($utente_adm) è in $segreto, leggibile solo da root."
