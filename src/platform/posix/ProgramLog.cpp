#include "platform/posix/ProgramLog.h"

#include "platform/posix/XdgDirectories.h"

namespace velmora {

LogDestinations programLogDestinations(const ExecutableInfo& executable) {
    return {logFileBeside(executable.path, executable.exeName),
            xdgStateHome() / "velmora" / (executable.exeName + ".log")};
}

}  // namespace velmora
