#include "platform/FileProblem.h"

#include <cerrno>
#include <cstring>

namespace plovane {

std::string FileProblem::describe() const
{
    return path.empty() ? detail : path + ": " + detail;
}

FileProblem FileProblem::fromError(std::string path, int error, bool folder)
{
    Cause cause = Cause::other;
    switch (error) {
    case EACCES:
    case EPERM:
        cause = Cause::permission;
        break;
    case EROFS:
        cause = Cause::readOnly;
        break;
    case ENOSPC:
    case EDQUOT:
        cause = Cause::noSpace;
        break;
    case ENOTDIR:
        cause = Cause::fileForFolder;
        break;
    case EISDIR:
        cause = Cause::notRegularFile;
        break;
    case ELOOP:
        cause = Cause::link;
        break;
    default:
        break;
    }
    return {std::move(path), cause, std::strerror(error), folder};
}

} // namespace plovane
