// The one nesting limit of config soups, shared by every reader, writer and walk of both
// forms, so that whatever one form accepts the other holds in full. The root's children lie
// at level 0; a tag lies at most kMaxSoupDepth containers below the root, so a container at
// that last level is kept, but only empty. Hostile input and a soup that holds itself end
// there instead of exhausting the stack.
#pragma once

constexpr int kMaxSoupDepth = 512;
