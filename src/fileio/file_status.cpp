#include "fileio/file_status.h"

void DefaultUnsetTimes(FileStatus& status) {
    if (status.m_creationTime == 0) {
        status.m_creationTime = status.m_lastWriteTime;
        status.m_creationNanos = status.m_lastWriteNanos;
    }
    if (status.m_lastAccessTime == 0) {
        status.m_lastAccessTime = status.m_lastWriteTime;
        status.m_lastAccessNanos = status.m_lastWriteNanos;
    }
}
