#pragma once
// The hall's web and update sites. Their paths are fixed by the hall; their host names are the
// operator's (Gatevane.ini, section "Hosts"), so a test or staging hall points the launcher at its
// own servers. A host is a name or dotted address, optionally with a port: "127.0.0.1:8080".

#include <string>
#include <string_view>

namespace gatevane {

struct HallHosts {
    std::string ad = "ad.velmora.cn";            // the login window's advertisement page
    std::string update = "update.velmora.cn";    // the update list
    std::string account = "account.velmora.cn";  // password recovery
    std::string web = "www.velmora.cn";          // home page, help
    std::string shop = "shop.velmora.cn";
    std::string pay = "pay.velmora.cn";
    std::string forum = "bbs.velmora.cn";  // the QQ logon page
    std::string weChat = "wx.velmora.cn";  // the WeChat logon page
};

// The Gatevane.ini key of each site, and where its host goes.
struct HallHostKey {
    const char* key;
    std::string HallHosts::*host;
};
extern const HallHostKey kHallHostKeys[8];

// A host the launcher can put in an address as it is: letters, digits, '-' and '.', at most 63
// characters, optionally ":port" with a port of 1 to 65535.
bool IsUsableHost(std::string_view host);

// "http://<host><path>"; a site's home page has the empty path.
std::string SiteAddress(std::string_view host, std::string_view path = {});

}  // namespace gatevane
