#include "options.h"

#include <climits>
#include <cmath>
#include <functional>
#include <vector>

#include <QLocale>
#include <QRegularExpression>

namespace {

struct OptionSpec
{
    const char *name;
    bool takesValue;
    // Applies the value; on a bad value returns false and describes what is
    // expected.
    std::function<bool(const QString &value, SimulatorOptions *o, QString *expected)> apply;
};

bool toInteger(const QString &text, qint64 min, qint64 max, qint64 *out)
{
    static const QRegularExpression digits(QStringLiteral("^-?[0-9]+$"));
    if (!digits.match(text).hasMatch())
        return false;
    bool ok = false;
    const qint64 v = text.toLongLong(&ok, 10);
    if (!ok || v < min || v > max)
        return false;
    *out = v;
    return true;
}

bool toNumber(const QString &text, double min, double max, double *out)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double v = c.toDouble(text, &ok);
    if (!ok || !std::isfinite(v) || v < min || v > max)
        return false;
    *out = v;
    return true;
}

// An integer option stored into an int-like field.
template <typename Field>
OptionSpec integerOption(const char *name, qint64 min, qint64 max, Field SimulatorConfig::*field,
                         const QString &what)
{
    return {name, true, [=](const QString &v, SimulatorOptions *o, QString *expected) {
        qint64 n = 0;
        if (!toInteger(v, min, max, &n)) {
            *expected = what;
            return false;
        }
        o->config.*field = Field(n);
        return true;
    }};
}

OptionSpec flagOption(const char *name, std::function<void(SimulatorOptions *)> set)
{
    return {name, false, [=](const QString &, SimulatorOptions *o, QString *) {
        set(o);
        return true;
    }};
}

// The area is given as the instrument shows it: the digits after the point
// are its decimals, so 1.20 is mantissa 120 with two decimals.
bool parseArea(const QString &text, quint16 *mantissa, quint8 *decimals)
{
    static const QRegularExpression re(QStringLiteral("^([0-9]+)(?:\\.([0-9]+))?$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return false;
    const QString fraction = m.captured(2);
    if (fraction.size() > 255)
        return false;
    QString digits = m.captured(1) + fraction;
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    if (digits.size() > 5)
        return false;
    const int n = digits.toInt();
    if (n > 65535)
        return false;
    *mantissa = quint16(n);
    *decimals = quint8(fraction.size());
    return true;
}

std::vector<OptionSpec> optionSpecs()
{
    using C = SimulatorConfig;
    std::vector<OptionSpec> specs;
    specs.push_back({"port", true, [](const QString &v, SimulatorOptions *o, QString *expected) {
        if (v.isEmpty()) {
            *expected = QStringLiteral("a device path");
            return false;
        }
        o->port = v;
        return true;
    }});
    specs.push_back({"baud", true, [](const QString &v, SimulatorOptions *o, QString *expected) {
        static const QList<int> rates{1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
        qint64 n = 0;
        if (!toInteger(v, 0, INT_MAX, &n) || !rates.contains(int(n))) {
            *expected = QStringLiteral("one of 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200");
            return false;
        }
        o->baud = int(n);
        return true;
    }});
    specs.push_back({"link", true, [](const QString &v, SimulatorOptions *o, QString *expected) {
        if (v.isEmpty()) {
            *expected = QStringLiteral("a path for the symbolic link");
            return false;
        }
        o->link = v;
        return true;
    }});
    specs.push_back(flagOption("verbose", [](SimulatorOptions *o) { o->verbose = true; }));
    specs.push_back({"line-rate", true, [](const QString &v, SimulatorOptions *o, QString *expected) {
        qint64 n = 0;
        if (!toInteger(v, 1, 1000000, &n)) {
            *expected = QStringLiteral("bytes per second from 1 to 1000000 (960 for 9600 baud)");
            return false;
        }
        o->lineRate = int(n);
        return true;
    }});
    specs.push_back({"unplug-after", true, [](const QString &v, SimulatorOptions *o, QString *expected) {
        qint64 n = 0;
        if (!toInteger(v, 0, INT_MAX, &n)) {
            *expected = QStringLiteral("a count of answers from 0 up");
            return false;
        }
        o->unplugAfter = int(n);
        return true;
    }});
    specs.push_back({"replug-after", true, [](const QString &v, SimulatorOptions *o, QString *expected) {
        if (!toNumber(v, 0.0, 86400.0, &o->replugAfterS)) {
            *expected = QStringLiteral("seconds from 0 to 86400");
            return false;
        }
        return true;
    }});

    specs.push_back({"speed", true, [](const QString &v, SimulatorOptions *o, QString *expected) {
        if (!toNumber(v, 0.0, 65.535, &o->config.speedMs)) {
            *expected = QStringLiteral("a speed in m/s from 0 to 65.535");
            return false;
        }
        return true;
    }});
    specs.push_back({"temperature", true, [](const QString &v, SimulatorOptions *o, QString *expected) {
        if (!toNumber(v, -3276.8, 3276.7, &o->config.temperatureC)) {
            *expected = QStringLiteral("a temperature in degrees C from -3276.8 to 3276.7");
            return false;
        }
        return true;
    }});
    specs.push_back({"area", true, [](const QString &v, SimulatorOptions *o, QString *expected) {
        if (!parseArea(v, &o->config.areaMantissa, &o->config.areaDecimals)) {
            *expected = QStringLiteral("a decimal number such as 1.234 whose digits, without the point,"
                                       " make at most 65535");
            return false;
        }
        return true;
    }});
    specs.push_back({"area-unit", true, [](const QString &v, SimulatorOptions *o, QString *expected) {
        if (v == QLatin1String("m2") || v == QLatin1String("0")) {
            o->config.areaInSquareFeet = false;
        } else if (v == QLatin1String("ft2") || v == QLatin1String("1")) {
            o->config.areaInSquareFeet = true;
        } else {
            *expected = QStringLiteral("m2 or ft2");
            return false;
        }
        return true;
    }});
    specs.push_back(integerOption("wind-unit", 0, 4, &C::windUnit,
        QStringLiteral("0 (m/s), 1 (km/h), 2 (mph), 3 (knots) or 4 (ft/min)")));
    specs.push_back(integerOption("volume-unit", 0, 1, &C::volumeUnit,
        QStringLiteral("0 (CMM) or 1 (CFM)")));
    specs.push_back(integerOption("temperature-unit", 0, 1, &C::temperatureUnit,
        QStringLiteral("0 (C) or 1 (F)")));
    specs.push_back(integerOption("device-state", 0, 255, &C::deviceState,
        QStringLiteral("an integer from 0 to 255")));
    specs.push_back(integerOption("battery", 0, 255, &C::batteryLevel,
        QStringLiteral("an integer from 0 to 255")));
    specs.push_back(flagOption("drift", [](SimulatorOptions *o) { o->config.drift = true; }));
    specs.push_back({"seed", true, [](const QString &v, SimulatorOptions *o, QString *expected) {
        qint64 n = 0;
        if (!toInteger(v, 0, 4294967295LL, &n)) {
            *expected = QStringLiteral("an integer from 0 to 4294967295");
            return false;
        }
        o->config.seed = quint32(n);
        o->seedGiven = true;
        return true;
    }});
    specs.push_back(integerOption("records", 0, wire::kMaxRecords, &C::records,
        QStringLiteral("an integer from 0 to 65535")));

    specs.push_back(flagOption("silent", [](SimulatorOptions *o) { o->config.silent = true; }));
    specs.push_back(integerOption("silent-after", 0, INT_MAX, &C::silentAfter,
        QStringLiteral("a count from 0 up")));
    specs.push_back(integerOption("bad-crc-every", 1, INT_MAX, &C::badCrcEvery,
        QStringLiteral("a count from 1 up")));
    specs.push_back(integerOption("bad-end-every", 1, INT_MAX, &C::badEndEvery,
        QStringLiteral("a count from 1 up")));
    specs.push_back(integerOption("stray-frames", 0, 65535, &C::strayFrames,
        QStringLiteral("an integer from 0 to 65535")));
    specs.push_back(integerOption("cut-package", 0, wire::kMaxPackageSize, &C::cutPackageAt,
        QStringLiteral("a byte count from 0 to 524284")));
    specs.push_back(integerOption("garbage-every", 1, INT_MAX, &C::garbageEvery,
        QStringLiteral("a count from 1 up")));
    return specs;
}

} // namespace

ParseResult parseSimulatorArguments(const QStringList &args, SimulatorOptions *options,
                                    QString *error)
{
    const std::vector<OptionSpec> specs = optionSpecs();
    bool baudGiven = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString arg = args.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return ParseResult::Help;
        if (!arg.startsWith(QLatin1String("--"))) {
            *error = QStringLiteral("unexpected argument '%1'").arg(arg);
            return ParseResult::Error;
        }
        QString name = arg.mid(2);
        QString value;
        bool inlineValue = false;
        const int eq = name.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
            inlineValue = true;
        }
        const OptionSpec *spec = nullptr;
        for (const OptionSpec &s : specs) {
            if (name == QLatin1String(s.name))
                spec = &s;
        }
        if (!spec) {
            *error = QStringLiteral("unknown option '--%1'").arg(name);
            return ParseResult::Error;
        }
        if (!spec->takesValue && inlineValue) {
            *error = QStringLiteral("option --%1 takes no value").arg(name);
            return ParseResult::Error;
        }
        if (spec->takesValue && !inlineValue) {
            if (i + 1 >= args.size()) {
                *error = QStringLiteral("option --%1 needs a value").arg(name);
                return ParseResult::Error;
            }
            value = args.at(++i);
        }
        QString expected;
        if (!spec->apply(value, options, &expected)) {
            *error = QStringLiteral("invalid value '%1' for --%2: expected %3")
                         .arg(value, name, expected);
            return ParseResult::Error;
        }
        if (name == QLatin1String("baud"))
            baudGiven = true;
    }
    if (baudGiven && options->port.isEmpty()) {
        *error = QStringLiteral("--baud applies only with --port (a pseudo-terminal has no line speed)");
        return ParseResult::Error;
    }
    if (options->replugAfterS >= 0.0 && options->unplugAfter < 0) {
        *error = QStringLiteral("--replug-after needs --unplug-after");
        return ParseResult::Error;
    }
    if (options->unplugAfter >= 0 && !options->port.isEmpty()) {
        *error = QStringLiteral("--unplug-after applies only to a pseudo-terminal, not with --port");
        return ParseResult::Error;
    }
    return ParseResult::Run;
}

QString simulatorHelpText()
{
    return QStringLiteral(
"Usage: aq7316-sim [options]\n"
"\n"
"Plays an AQ7316 anemometer on a serial line. It answers each 0x15 with one\n"
"18-byte realtime frame and each 0x16 with the stored-record package; other\n"
"bytes are ignored. By default it opens a pseudo-terminal in raw mode and\n"
"prints the path of its slave side as the first line of standard output\n"
"(and the path of each new one after a --replug-after as a further line).\n"
"\n"
"Line:\n"
"  --port DEVICE           talk through an existing serial device (or pty slave)\n"
"                          instead of opening a pseudo-terminal\n"
"  --baud RATE             line speed with --port: 1200 ... 115200 (default 9600)\n"
"  --link PATH             also make a symbolic link PATH to the device path; a\n"
"                          stale link there is replaced, the link is removed on exit\n"
"  --line-rate BYTES/S     send at most this many bytes a second, as a real line\n"
"                          does (960 for 9600 baud); commands are still read and\n"
"                          answered while a long package trickles out (default:\n"
"                          as fast as the line takes them)\n"
"  --unplug-after K        once the K-th answer has been read (or 2 s after it\n"
"                          was sent), drop the line as a pulled adapter would:\n"
"                          the pseudo-terminal is closed (the other side sees a\n"
"                          hang-up, its device path goes away) and the --link is\n"
"                          removed; commands after the K-th answered one get no\n"
"                          answer. K = 0 drops it at once. Not with --port\n"
"  --replug-after SECONDS  with --unplug-after: that many seconds after the drop,\n"
"                          open a new pseudo-terminal, point --link at it, print\n"
"                          its path as a further line of standard output and go\n"
"                          on answering there (once; it is not dropped again)\n"
"  --verbose               log received and sent bytes to standard error\n"
"  --help                  show this help and exit\n"
"\n"
"Values (what the instrument measures and shows):\n"
"  --speed M/S             wind speed, 0 to 65.535 m/s (default 3.5)\n"
"  --temperature C         air temperature, -3276.8 to 3276.7 C (default 21.5)\n"
"  --area VALUE            duct area as the instrument shows it; the digits after\n"
"                          the point are its decimals (1.234: mantissa 1234, three\n"
"                          decimals); digits without the point at most 65535\n"
"                          (default 0.50)\n"
"  --area-unit m2|ft2      unit of the area (default m2)\n"
"  --wind-unit N           speed unit on the display: 0 m/s, 1 km/h, 2 mph,\n"
"                          3 knots, 4 ft/min (default 0)\n"
"  --volume-unit N         air-flow unit on the display: 0 CMM, 1 CFM (default 0)\n"
"  --temperature-unit N    temperature unit on the display: 0 C, 1 F (default 0)\n"
"  --device-state N        device state byte, 0 to 255: 0 normal, 1 no wheel\n"
"                          (default 0)\n"
"  --battery N             battery byte, 0 to 255: 0-4 bars, above 4 empty\n"
"                          (default 4)\n"
"  --drift                 let speed and temperature drift smoothly around the\n"
"                          values above\n"
"  --seed N                seed of the drift, the stored records and the garbage,\n"
"                          0 to 4294967295 (default: random; --verbose prints it)\n"
"  --records N             records in the stored package, 0 to 65535 (default 10);\n"
"                          the same seed gives the same records\n"
"\n"
"Faults:\n"
"  --silent                never answer\n"
"  --silent-after K        answer the first K commands (0x15 or 0x16), then never\n"
"  --bad-crc-every K       every K-th frame answering 0x15 has a wrong CRC byte\n"
"  --bad-end-every K       every K-th frame answering 0x15 has a wrong end byte\n"
"  --stray-frames K        on 0x16, send K realtime frames right before the package\n"
"  --cut-package BYTES     send only the first BYTES bytes of the package\n"
"  --garbage-every K       instead of every K-th answer, send 8 to 32 random bytes\n"
"                          that are none of 0x02, 0x03, 0x04\n"
"\n"
"Values are given as --name VALUE or --name=VALUE.\n"
"\n"
"Exit codes:\n"
"  0  --help, or ended by SIGINT, SIGTERM or SIGHUP\n"
"  1  the line or the link could not be set up, or the line was lost\n"
"     (other than by --unplug-after)\n"
"  2  a bad option or option value\n");
}
