// A capability that script libraries issue: named rights granted to assets.

include "gs.gs"

class SecurityToken isclass GSObject {
  public native bool IsOwnerLocallyModified();
};
