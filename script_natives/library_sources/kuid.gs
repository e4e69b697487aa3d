// Asset identifiers: one immutable object per KUID and context.

include "gs.gs"

class KUID isclass GSObject {
  public native string GetName();
  public native string GetHTMLString();
  public native string GetLogString();
  public native string GetBaseString();
  public native KUID GetBaseKUID();
};
