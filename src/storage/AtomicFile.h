// Replaces a file's whole content, where it can so that a failure at any step leaves the old
// file as it was. The list file saves through it; other layers that write the user's files may
// use it too.
#pragma once

#include <string>
#include <string_view>

namespace skedula {

// Writes content to a temporary file in the target's folder, flushes it to the disk and
// renames it over the target; a replaced file keeps its permissions (and its owner where the
// system allows). A symbolic link is followed, so the link stays and its target is replaced,
// or created when it does not exist yet; a link that another user put into a shared sticky
// folder such as /tmp is refused (EACCES), as the kernel refuses it when it follows links.
// Two kinds of file are written in place instead (room for the new length reserved first,
// then written over the old content, cut to its length, flushed), which is not atomic: one
// whose folder takes no new names and one with further hard links, which a rename would leave
// behind with the old content. A full disk stops those before the old content is touched.
// On failure the temporary file is removed and Error carries the message for the errno.
void ReplaceFileContent(const std::string& path, std::string_view content);

} // namespace skedula
