#include "options.h"

#include <charconv>

#include "control.h"

namespace scale_sim {
namespace {

bool PositiveNumber(const std::string& text, int& out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out > 0;
}

}  // namespace

std::variant<Options, std::string> ParseOptions(const std::vector<std::string>& args) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--pty") {
            o.line = Options::Line::Pty;
        } else if (a == "--link") {
            if (!value(o.link) || o.link.empty()) return "--link needs a path";
        } else if (a == "--tcp") {
            o.line = Options::Line::Tcp;
            if (!value(o.tcp_address)) return "--tcp needs HOST:PORT";
        } else if (a == "--protocol") {
            if (!value(v) || !ParseProtocol(v)) return "--protocol needs pos, cas, cas-active or oka";
            o.protocol = *ParseProtocol(v);
        } else if (a == "--pro") {
            o.pro = true;
        } else if (a == "--plain") {
            o.pro = false;
        } else if (a == "--wire-time") {
            o.wire_time = true;
        } else if (a == "--baud") {
            if (!value(v) || !PositiveNumber(v, o.baud)) return "--baud needs a positive number";
        } else if (a == "--interval") {
            if (!value(v) || !PositiveNumber(v, o.interval_ms)) return "--interval needs milliseconds";
        } else if (a == "--log") {
            o.log = true;
        } else if (a == "--stay") {
            o.stay = true;
        } else {
            return "unknown option " + a;
        }
    }
    if (o.line == Options::Line::Tcp && !o.link.empty()) return "--link goes with --pty";
    return o;
}

std::string HelpText() {
    return R"(scale-sim: one simulated scale on a pseudo-terminal or a TCP socket.

Usage: scale-sim [--pty [--link PATH] | --tcp HOST:PORT] [--protocol P] [--pro | --plain]
                 [--wire-time] [--baud N] [--interval MS] [--log] [--stay] [--help]

Line (the first line on standard output is where a host connects):
  --pty            a pseudo-terminal in raw mode (default); prints the slave path. Hosts may
                   open and close the slave any number of times.
  --link PATH      also keep the symlink PATH pointing at the slave.
  --tcp HOST:PORT  listen on HOST:PORT (port 0: any free port) and print "HOST:PORT" as bound;
                   one host at a time, the next one is accepted when it leaves.

Scale:
  --protocol P     retail protocol: pos (default), cas (polled), cas-active (streamed), oka.
  --pro            answer the service protocol as well (default).
  --plain          ignore the service protocol (silence, as a scale without it).
  --interval MS    cas-active: a frame every MS milliseconds (default 100).
  --wire-time      take the time of 10 bits per byte at --baud (default 9600) for every byte
                   received and sent.
  --log            write every request and reply in hex to standard error.
  --stay           keep serving when standard input ends (stop it with SIGINT or SIGTERM);
                   without it the end of input quits, so a scale never outlives its driver.

Service protocol (Pro only), lines ending in CR LF: "G<key>" -> "<key>=<value>"; "S<key><value>"
-> "OK" or "ERROR". Keys: mode ver1 ver2 prov sern max div azr azt pzr kzr ktr ovr off bkl cal
cnt modc u2en u3en sav cell1 cell2 (ver2 and cnt are read-only). Actions: "Szcal" (zero
calibration, needs a stable scale), "Swcal" and "Swcal<kg>" (weight calibration, needs a stable
scale; with a value it sets cal, puts that load on the platform and counts cnt up), "Scnt"
(counts cnt up), "Srst" (reboot: clears the tare), "Sinit" (clears weight and tare).
"Sprov0" switches the scale to CAS, "Sprov1" to POS (answered OK in the old protocol, the next
request is served by the new one). Unknown keys, missing values and div outside 0..5: ERROR.

POS: ENQ -> ACK (every ENQ). Frames STX LEN payload CHK, CHK = XOR of LEN and payload (the
specify-tare frame: XOR of the payload alone); a bad frame is answered NAK.
  status  -> 06 02 0A 3A 30 s0 s1 w0 w1 w2 w3 t0 t1 CHK (weight signed, tare 16-bit, LE, grams)
  zero    -> 06 02 02 30 00 32     tare -> 06 02 02 31 00 33     specify tare -> 06 02 02 32 00 30
  State bits, first byte s0: bit0 stable, bit1 zero, bit2 always 1 (bits 0 and 4 mean "stable"),
  bit4 stable, bit7 overload; second byte s1: bit7 overload, bit6 tare in use. Read as the usual
  ten-character text (bits 0..7 of s0, then bits 7 and 6 of s1) a stable reading starts with "1".
CAS: ENQ -> ACK, DC1 -> SOH STX state sign weight[6] unit[2] BCC ETX EOT (state S/U/F, unit of
  the scale: "kg" 3 decimals, "lb" 2, " g" none). "<ZK>\t" zeroes, "<TK>\t" tares, no answer.
  cas-active sends the frame unasked every --interval ms while a host is connected.
OKA: 02 + six digits -> 24 bytes: weight digits LS first, 00 x5, flag, zeros (flag 0x00 stable,
  +0x01 unstable, +0x40 overload, +0x80 negative); 06 -> 18 bytes: seven digits of (weight+tare)
  x10, LS first; 07 + six tare digits LS first: specify tare; 00 x15 01: zero.
Weight and tare are grams; the weight is the net weight. Zero sets weight and tare to 0, tare
moves the net weight into the tare, specify tare keeps the gross weight.

Control, one command a line on standard input, each answered by one line ("ok", "error: ...",
or the value). End of input quits unless --stay is given.
)" + Control::HelpLines() +
           R"(The faults stray, split, delay, drop and corrupt-checksum act on the next data reply (frame,
service line or streamed frame), not on the one-byte answer to ENQ.
)";
}

}  // namespace scale_sim
