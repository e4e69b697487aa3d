// A growable text buffer that takes plain or HTML-escaped text.

include "gs.gs"

class HTMLBuffer isclass GSObject {
  public native void Clear();
  public native bool IsEmpty();
  public native string AsString();
  public native void Print(string a);
  public native void Escape(string a);
};

static class HTMLBufferStatic {
  public native HTMLBuffer Construct();
};
