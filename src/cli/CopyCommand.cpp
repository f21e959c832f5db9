#include <memory>
#include <ostream>
#include <stdexcept>
#include <sys/stat.h>
#include <vector>

#include "audio/AudioFileOpener.h"
#include "audio/FormatCapacity.h"
#include "audio/StagedOutputPath.h"
#include "cli/Commands.h"
#include "cli/CopyFrames.h"
#include "cli/Interrupt.h"
#include "cli/ProgressLine.h"

namespace Cli {

using namespace Audio;

const char* const copyHelp =
    "usage: stretchwerk-cli copy IN OUT [--bits 8|16|24|32] [--force]\n"
    "\n"
    "Copies the audio of IN into a new file OUT. The type of OUT follows its extension\n"
    "(.wav, .aif or .aiff); the sample format stays that of IN unless --bits is given.\n"
    "32 bits are IEEE floats in WAV files and integers in AIFF files (AIFF has no floats).\n"
    "An existing OUT is only replaced with --force. OUT appears only when it is complete;\n"
    "a copy larger than WAV and AIFF can hold (4 GiB) is refused before anything is written.\n";

namespace {

struct CopyRequest {
    std::string in;
    std::string out;
    u32 bits = 0; // 0: as the source
    bool force = false;
};

CopyRequest parseCopy(Arguments& args, bool* helpShown, Streams io) {
    CopyRequest request;
    std::vector<std::string> operands;
    while (!args.done()) {
        const std::string word = args.take();
        if (word == "--help" || word == "-h") {
            io.out << copyHelp;
            *helpShown = true;
            return request;
        }
        if (word == "--force" || word == "-f") {
            request.force = true;
        } else if (word == "--bits") {
            request.bits = static_cast<u32>(args.integer(word, 8, 32));
            if (request.bits != 8 && request.bits != 16 && request.bits != 24 && request.bits != 32)
                throw UsageError("--bits takes 8, 16, 24 or 32");
        } else if (Arguments::isOption(word)) {
            throw UsageError("copy: unknown option " + word);
        } else {
            operands.push_back(word);
        }
    }
    if (operands.size() != 2) throw UsageError("copy: name one source and one destination");
    request.in = operands[0];
    request.out = operands[1];
    if (fileTypeFromExtension(request.out) == UnknownType)
        throw UsageError("copy: " + request.out +
                         ": the destination must end in .wav, .aif or .aiff");
    return request;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

int runCopy(Arguments& args, Streams io) {
    bool helpShown = false;
    const CopyRequest request = parseCopy(args, &helpShown, io);
    if (helpShown) return 0;
    std::unique_ptr<CAudioFile> reader;
    try {
        reader = openSourceFile(request.in);
    } catch (const std::exception& e) {
        io.err << describeFailure(request.in, e.what()) << '\n';
        return 1;
    }
    if (exists(request.out) && !request.force) {
        io.err << describeFailure(request.out, "exists already; use --force to replace it") << '\n';
        return 1;
    }
    try {
        AudioFormat format = reader->format;
        if (request.bits != 0) {
            format.bitsPerSample = request.bits;
            format.bytesPerFrame = bytesPerSample(request.bits) * format.channels;
            format.bytesPerSecond = 0;
        }
        const std::string tooLarge =
            sizeBeyondFormat(fileTypeFromExtension(request.out), format, reader->getFrames());
        if (!tooLarge.empty()) throw std::runtime_error(tooLarge);
        StagedOutputPath staged(request.out);
        auto writer = createAudioFile(staged.temporary(), fileTypeFromExtension(request.out));
        writer->open(Write, &format);
        ProgressLine progress(io.err, io.errIsTerminal,
                              "Copying \"" + fileNameOf(request.in) + "\" ...");
        if (!copyFrames(*reader, *writer, progress)) {
            progress.finish("interrupted; " + request.out + " was not written");
            return interruptedExitCode;
        }
        writer->close();
        staged.commit(request.force);
        progress.finish(request.out + ": " + std::to_string(writer->getFrames()) +
                        " frames written");
    } catch (const std::exception& e) {
        io.err << describeFailure(request.out, e.what()) << '\n';
        return 1;
    }
    return 0;
}

} // namespace Cli
