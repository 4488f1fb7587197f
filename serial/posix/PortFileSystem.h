// What the port layer reads of the file system: device nodes under /dev and the
// kernel's description of terminals under /sys. Tests move both roots to a tree of
// their own. Only OpenNode opens a device, and only the port layer's open calls it.
#pragma once

#include <optional>
#include <string>

#include "serial/PortPresence.h"

class PortFileSystem {
public:
    explicit PortFileSystem(std::string strDevRoot = "/dev", std::string strSysRoot = "/sys")
        : strDevRoot(std::move(strDevRoot)), strSysRoot(std::move(strSysRoot)) {}
    virtual ~PortFileSystem() = default;

    // The machine's own file system.
    static PortFileSystem& System();

    // Where a path of the fixed port table (/dev/...) is found: under the /dev root.
    std::string Locate(const std::string& strPath) const;
    // What is known about the node at strPath, read without opening it.
    virtual PortNodeFacts Facts(const std::string& strPath) const;
    // open(2) of the node at strPath; -1 with errno set on failure.
    virtual int OpenNode(const std::string& strPath, int nFlags);

protected:
    struct NodeStat {
        bool bExists = false;
        bool bCharDevice = false;
        unsigned nGroup = 0;
    };
    // stat(2), following symbolic links.
    virtual NodeStat StatNode(const std::string& strPath) const;

private:
    std::string strDevRoot;
    std::string strSysRoot;
};
