// The five byte rules against a plain one-byte-at-a-time reading of them, streamed in block
// sizes the input chooses, so that every look-ahead and tag can straddle a block boundary.
#include "core/EffectList.h"
#include "tests/fuzz/FuzzCheck.h"

#include <QBuffer>

namespace {

QByteArray numberPrefix(int line)
{
    return QByteArray::number(line).rightJustified(4, '0') + ' ';
}

QByteArray reference(char kind, const QByteArray &in)
{
    QByteArray out;
    bool flag = false;
    int line = 0;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        switch (kind) {
        case 'C':
            if (c != '\r' && c != '\n')
                out += c;
            break;
        case 'S':
            if (c != ' ' && c != '\t')
                out += c;
            break;
        case 'T':
            if (c == '<')
                flag = true;
            else if (c == '>')
                flag = false;
            else if (!flag)
                out += c;
            break;
        case 'F':
            if (flag) {
                out += c;
            } else if (c == '\n') { // read two more; the header ends when the second is LF
                i += 2;
                flag = i < in.size() && in[i] == '\n';
            }
            break;
        case 'N':
            if (i == 0)
                out += numberPrefix(++line);
            out += c;
            if (c == '\n')
                out += numberPrefix(++line);
            break;
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    static const char kinds[] = {'C', 'S', 'T', 'F', 'N'};
    const char kind = kinds[data[0] % 5];
    const qsizetype blockSize = 1 + data[1] % 64;
    QByteArray text = FuzzInput::bytes(data + 2, size - 2);
    const QByteArray expected = reference(kind, text);

    QBuffer in(&text);
    in.open(QIODevice::ReadOnly);
    QByteArray streamed;
    QBuffer out(&streamed);
    out.open(QIODevice::WriteOnly);
    FUZZ_CHECK(Effects::transform(EffectKind(kind), in, out, blockSize));
    FUZZ_CHECK(streamed == expected);
    FUZZ_CHECK(Effects::transform(EffectKind(kind), text) == expected);
    return 0;
}
