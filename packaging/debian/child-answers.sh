# The rules for the answers to quillharbour-child's questions and the writing of the files they
# give. The package's config script (which asks) and its postinst (which writes) both carry this
# text, put in by the build: the config script may run before the package is unpacked, so it
# cannot read an installed copy. Each rule takes a little less than the child program itself does
# (tests/core/test_childanswers.cpp holds them against its reading of the settings file), so that
# a file written from accepted answers is always one the child can use.

# The text without blanks at either end.
qh_trim() {
    printf '%s' "$1" | sed 's/^[[:space:]]*//; s/[[:space:]]*$//'
}

# The number that ends the first label of a host name, as two digits, when it is 1 to 30 ("pc07",
# "pc7" and "pc007.school.example" give 07); nothing otherwise.
qh_number_from_host() {
    qh_digits=$(printf '%s' "${1%%.*}" | sed 's/^.*[^0-9]//; s/^0*//')
    case "$qh_digits" in
    [1-9] | [12][0-9] | 30) printf '%02d\n' "$qh_digits" ;;
    esac
}

# This computer's number: one or two digits, 1 to 30.
qh_is_number() {
    case "$1" in
    [0-9] | [0-9][0-9]) [ "$(expr "$1" + 0)" -ge 1 ] && [ "$(expr "$1" + 0)" -le 30 ] ;;
    *) return 1 ;;
    esac
}

# A port that both the child and the teacher's settings tool can hold: 1 to 32767 (the teacher's
# settings file keeps its ports as 16-bit signed numbers).
qh_is_port() {
    case "$1" in
    "" | *[!0-9]* | ??????*) return 1 ;;
    *) [ "$(expr "$1" + 0)" -ge 1 ] && [ "$(expr "$1" + 0)" -le 32767 ] ;;
    esac
}

# The teacher's computer: an IPv4 address other than 0.0.0.0, or a host name of letters, digits,
# "-", "_" and characters code page 932 holds, in labels separated by single dots. Never a blank,
# a control character or an IPv6 address.
qh_is_master() {
    [ -n "$1" ] && [ "${#1}" -le 253 ] || return 1
    [ -z "$(printf '%s' "$1" | LC_ALL=C tr -d 'A-Za-z0-9._\200-\377-')" ] || return 1
    printf '%s' "$1" | iconv -f UTF-8 -t CP932 >/dev/null 2>&1 || return 1
    case ".$1." in
    *..* | *.-* | *-.*) return 1 ;;
    *[!0-9.]*) return 0 ;;
    esac
    # Only digits and dots: it must be an address, four numbers of 0 to 255 without leading zeros
    # (which some readers take for octal).
    printf '%s\n' "$1" | grep -Eqx '((0|[1-9][0-9]{0,2})\.){3}(0|[1-9][0-9]{0,2})' || return 1
    qh_rest=$1
    qh_sum=0
    while [ -n "$qh_rest" ]; do
        qh_part=${qh_rest%%.*}
        [ "$(expr "$qh_part" + 0)" -le 255 ] || return 1
        qh_sum=$((qh_sum + $(expr "$qh_part" + 0)))
        [ "$qh_rest" = "$qh_part" ] && qh_rest= || qh_rest=${qh_rest#*.}
    done
    [ "$qh_sum" -gt 0 ]
}

# The teacher's public key: empty (none), or the standard base64 of 32 bytes, 44 characters with
# its "=", written as the encoder writes it.
qh_is_key() {
    [ -z "$1" ] && return 0
    printf '%s\n' "$1" | LC_ALL=C grep -qx '[A-Za-z0-9+/]\{43\}=' || return 1
    [ "$(printf '%s' "$1" | base64 -d 2>/dev/null | base64 -w 0)" = "$1" ]
}

# The value of a key in a settings file (code page 932, CR LF; keys in any letter case), or
# nothing.
qh_read_setting() {
    iconv -f CP932 -t UTF-8 "$1" 2>/dev/null | tr -d '\r' |
        sed -n "s/^[[:space:]]*$2[[:space:]]*=[[:space:]]*//Ip" | head -n 1 | sed 's/[[:space:]]*$//'
}

# qh_write_child_settings TEMPLATE NUMBER MASTER CHILD_PORT MASTER_PORT: writes the settings file
# on standard output: a line that says where it came from, then the template (code page 932,
# CR LF) with the four values in place of its own. The answers must have passed the rules above.
qh_write_child_settings() {
    qh_master=$(printf '%s' "$3" | iconv -f UTF-8 -t CP932) || return 1
    printf '%s\r\n' "; quillharbour-child のインストールが書いたファイルです。sudo dpkg-reconfigure quillharbour-child で書き直せます。" |
        iconv -f UTF-8 -t CP932 || return 1
    while IFS= read -r qh_line || [ -n "$qh_line" ]; do
        case "$qh_line" in
        Number=*) printf 'Number=%02d\r\n' "$(expr "$2" + 0)" ;;
        Master=*) printf 'Master=%s\r\n' "$qh_master" ;;
        ChildPort=*) printf 'ChildPort=%d\r\n' "$(expr "$4" + 0)" ;;
        MasterPort=*) printf 'MasterPort=%d\r\n' "$(expr "$5" + 0)" ;;
        *) printf '%s\n' "$qh_line" ;;
        esac
    done <"$1"
}
