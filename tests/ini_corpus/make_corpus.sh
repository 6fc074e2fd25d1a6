#!/usr/bin/env bash
# Writes the INI corpus once; the files are kept, so tests never run this.
# Every file is built with printf so its exact bytes are visible here.
set -euo pipefail
cd "$(dirname "$0")"

# Case is ignored in section and key names (ASCII only: this file has no BOM).
printf '[Main]\r\nKey=plain\r\nMixedCase=mixed\r\n[UPPER]\r\nk=upper section\r\n[lower]\r\nK=lower section\r\n' \
    > case.ini

# The first key of a name wins, and only the first section of a name is read.
printf '[Main]\r\nk=first\r\nK=second\r\nk=third\r\n[Other]\r\nonly=other\r\n[MAIN]\r\nk=later section\r\n' \
    > duplicates.ini
printf 'late=later section only\r\n[main]\r\nsecond=in later main only\r\n' >> duplicates.ini

# Blanks around names and values go, blanks inside stay.
printf '  [Main]  \r\n  k  =  spaced value  \r\n\tt\t=\ttabbed\t\r\nmy key = my value\r\n' > blanks.ini
printf 'empty =\r\nblank =   \r\n= no name\r\n [ Spaced ] \r\nk=inside spaced brackets\r\n' >> blanks.ini

# One pair of enclosing quotes of either kind goes; nothing else does.
{
    printf '[Main]\n'
    printf 'k="double"\n'
    printf "single='single'\n"
    printf 'mixed="double then single'"'"'\n'
    printf 'lone="\n'
    printf "lonesingle='\n"
    printf 'emptyquotes=""\n'
    printf "emptysingles=''\n"
    printf 'inner=a"b"c\n'
    printf 'twice=""twice""\n'
    printf 'spaced=" spaced inside "\n'
    printf 'outside =  "blanks outside"  \n'
    printf 'open="open only\n'
    printf 'close=close only"\n'
    printf 'nested='"'"'"nested"'"'"'\n'
    printf 'middle="a" "b"\n'
    printf 'three="""\n'
} > quotes.ini

# Lines starting with ";" or "#" are ordinary lines to the lookup.
printf ';comment line\r\n[Main]\r\n;k=commented\r\nk=after comment\r\n#hash=hashed\r\n  ; spaced=indented comment\r\n' \
    > comments.ini
printf 'tail=value ; not a comment\r\n;=semicolon only\r\n' >> comments.ini

# Keys without "=", "=" inside values, empty values and empty names.
printf '[Main]\nlonely\nk=a=b=c\nempty=\n=nameless\n==double\nspace only= \nlonely2   \nk2 == x\n' > key_forms.ini

# Pairs above the first header belong to no named section.
printf 'k=before any section\r\norphan=1\r\n\r\n[Main]\r\nk=in main\r\n' > before_section.ini

# Header forms: blanks, no "]", text after "]", several "]", empty name.
{
    printf '[Main]\r\n'
    printf 'k=main\r\n'
    printf '[ Spaced ]\r\n'
    printf 'k=spaced\r\n'
    printf '[In ner]\r\n'
    printf 'k=inner blank\r\n'
    printf '[Open\r\n'
    printf 'k=after open header\r\n'
    printf '[Trail]after\r\n'
    printf 'k=text after bracket\r\n'
    printf '[A]b]\r\n'
    printf 'k=two brackets\r\n'
    printf '[]\r\n'
    printf 'k=empty name\r\n'
    printf '[[Double]]\r\n'
    printf 'k=double brackets\r\n'
    printf '[Tab\t]\r\n'
    printf 'k=tab inside\r\n'
    printf '[Eq=1]\r\n'
    printf 'k=equals in header\r\n'
    printf 'x[Not]=bracket later\r\n'
} > headers.ini

# Non-ASCII names and values behind byte-order marks.
unicode_text() {
    printf '[Main]\r\n'
    printf 'k=\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xd0\x96 \xe4\xb8\xad \xf0\x9f\x98\x80\r\n'
    printf '[\xc3\x89t\xc3\xa9]\r\n'
    printf '\xc3\x9cber=\xc3\xbcber\r\n'
    printf '\xd0\x9a\xd0\xbb\xd1\x8e\xd1\x87=cyrillic\r\n'
    printf '\xce\xa3\xce\xaf\xce\xb3\xce\xbc\xce\xb1=greek\r\n'
    printf '\xc5\x81\xc3\xb3d\xc5\xba=latin extended\r\n'
    printf '\xc3\x9f=sharp s\r\n'
    printf '\xf0\x9f\x98\x80=emoji key\r\n'
    printf '[\xe4\xb8\xad\xe6\x96\x87]\r\n'
    printf 'k=cjk section\r\n'
}
{ printf '\xef\xbb\xbf'; unicode_text; } > utf8_bom.ini
{ printf '\xff\xfe'; unicode_text | iconv -f UTF-8 -t UTF-16LE; } > utf16le_bom.ini
{ printf '\xfe\xff'; unicode_text | iconv -f UTF-8 -t UTF-16BE; } > utf16be_bom.ini

# No byte-order mark: Windows reads the ANSI code page, Linux UTF-8 or else
# Latin-1. Both agree only on ASCII and, for Windows-1252, bytes 0xA0..0xFF
# that do not form UTF-8.
printf '[Main]\r\nk=caf\xe9 \xa0nbsp\xa0 \xff\r\n[\xc9t\xe9]\r\n\xdcber=\xfcber\r\n' > latin1_no_bom.ini

# Line ends.
printf '[Main]\r\nk=crlf\r\nk2=two\r\n' > line_ends_crlf.ini
printf '[Main]\nk=lf\nk2=two\n' > line_ends_lf.ini
printf '[Main]\r\nk=mixed\nk2=two\r\n[Next]\nk=next\r\r\nk3=three\n\rk4=four' > line_ends_mixed.ini
printf '[Main]\rk=cr only\rk2=two\r' > line_ends_cr.ini
printf '[Main]\nk=lone\rk2=after lone cr\nk3=three\n' > line_ends_lone_cr.ini

# Tabs and the other ASCII blanks.
printf '[Main]\n\tk\t=\tvalue\twith\ttabs\t\n\vvt\v=\vvertical\v\n\fff\f=\fform feed\f\n' > tabs.ini

# Ctrl-Z, the DOS end of file.
printf '[Main]\r\nk=before\x1a\r\nmid=a\x1ab\r\n\x1a\r\nafter=after ctrl-z\r\n\x1a' > ctrl_z.ini

# A value far longer than the usual buffers.
{
    printf '[Main]\r\nk='
    for i in $(seq 1 150); do printf 'value%04d ' "$i"; done
    printf '\r\nk2=short\r\n'
} > long_value.ini

: > empty.ini

# Byte-order marks with nothing after them.
printf '\xef\xbb\xbf' > bom_only_utf8.ini
printf '\xff\xfe' > bom_only_utf16le.ini

# Which characters are blanks around names and values: each ASCII control and
# each Unicode space is tried on both sides of a key and of a value.
{
    printf '[Main]\n'
    for c in 01 02 03 04 05 06 07 08 0e 0f 10 11 12 13 14 15 16 17 18 19 1b 1c 1d 1e 1f 7f; do
        printf "\\x$c""k$c\\x$c=\\x$c""v$c\\x$c\\n"
        printf "v$c=\\x$c""value only\\x$c\\n"
    done
    printf '[\x1c\x1fSep\x1f\x1c]\nk=separators around header name\n'
} > controls.ini
{
    printf '\xff\xfe'
    {
        printf '[Main]\n'
        for c in 0085 00a0 1680 2000 2002 2003 2007 200a 200b 2028 2029 202f 205f 3000 feff 180e; do
            printf "\\u$c""k$c\\u$c=\\u$c""v$c\\u$c\\n"
            printf "v$c=\\u$c""value only\\u$c\\n"
        done
        printf '[\u3000Ideo\u00a0]\nk=unicode blanks around header name\n'
    } | iconv -f UTF-8 -t UTF-16LE
} > blanks_unicode.ini

# NUL ends a name or value, as it ends a string for the Windows functions.
# Blanks go before the NUL cuts, so "n1 \0x" names the key "n1 ".
{
    printf '[Main]\n'
    printf 'k\0junk=cut name\n'
    printf 'v=cut\0value\n'
    printf 'q="quoted\0"\n'
    printf '\0lead=nul first\n'
    printf 't=trail \0 \n'
    printf 'n1 \0x=blank before nul\n'
    printf 'n2\0 = nul before blank\n'
    printf '[Se\0ction]\n'
    printf 'k=cut section\n'
    printf '[ Nul \0x ]\n'
    printf 'k=blank before nul in header\n'
} > nul_inside.ini
printf '[Main]\r\nk=utf-16 without bom\r\n' | iconv -f UTF-8 -t UTF-16LE > utf16le_no_bom.ini

# Malformed UTF-8 after a byte-order mark.
{
    printf '\xef\xbb\xbf[Main]\n'
    printf 'k1=a\x80b\n'
    printf 'k2=a\xc3b\n'
    printf 'k3=a\xe2\x82b\n'
    printf 'k4=a\xed\xa0\x80b\n'
    printf 'k5=a\xc0\xafb\n'
    printf 'k6=a\xf4\x90\x80\x80b\n'
    printf 'k7=a\xf0\x9f\x98b\n'
    printf 'k8=a\xffb\n'
    printf 'k9=a\xe0\x80\x80b\n'
    printf 'k10=a\xef\xbf\xbeb\n'
    printf 'k11=a\xc3\n'
    printf 'k12=a\xe2\x82\xc3\xa9b\n'
    printf 'k13=a\xf8\x88\x80\x80\x80b\n'
} > utf8_bom_invalid.ini
# A sequence cut off by the end of the file.
printf '\xef\xbb\xbf[Main]\nk=a\xf0A' > utf8_bom_truncated.ini

# UTF-16 with an odd byte count, unpaired surrogates and a second mark.
# The odd byte stands alone on the last line: Windows reads it together with
# whatever byte follows in its buffer, so no answer may depend on it.
odd_text() { printf '[Main]\r\nk=odd\r\nk2=x\r\n'; }
{ printf '\xff\xfe'; odd_text | iconv -f UTF-8 -t UTF-16LE; printf 'y'; } > utf16le_bom_odd.ini
{ printf '\xfe\xff'; odd_text | iconv -f UTF-8 -t UTF-16BE; printf 'y'; } > utf16be_bom_odd.ini
{
    printf '\xff\xfe'
    printf '[Main]\r\nk1=a' | iconv -f UTF-8 -t UTF-16LE
    printf '\x00\xd8'
    printf 'b\r\nk2=a' | iconv -f UTF-8 -t UTF-16LE
    printf '\x00\xdc'
    printf 'b\r\nk3=' | iconv -f UTF-8 -t UTF-16LE
    printf '\x3d\xd8\x00\xde\x3d\xd8'
    printf '\r\n' | iconv -f UTF-8 -t UTF-16LE
} > utf16le_surrogates.ini
printf '\xef\xbb\xbf\xef\xbb\xbf[Main]\nk=second mark\n[Next]\nk=next\n' > bom_twice.ini

# More header forms.
{
    printf '[Main] ; comment after header\n'
    printf 'k=main\n'
    printf '[Half=half\n'
    printf '[   ]\n'
    printf 'k=blank name\n'
    printf '[\n'
    printf ']\n'
    printf '[\x1aZ\x1a]\n'
    printf 'k=ctrl-z around name\n'
} > headers_more.ini

# Binary garbage: NUL bytes, controls, ASCII and bytes 0xA0..0xFF.
{
    printf '\x00\x01\x02[\x00Main]\xff\xa0\n'
    printf 'k=\x00\x07\x1b\xe9\xfe\r\r\x00'
    for i in $(seq 0 255); do
        b=$(( (i * 73 + 41) % 256 ))
        if [ "$b" -ge 128 ] && [ "$b" -lt 160 ]; then b=$(( b - 64 )); fi
        printf "\\x$(printf %02x "$b")"
    done
    printf '\n[Main]\nk=\xb0\x00\xb1\n'
} > garbage.ini
