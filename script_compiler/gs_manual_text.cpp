// The manual that "-d" prints: our own reference of the script language and its compiler,
// as this system implements them. Its sections and their order are fixed (title, contents,
// 1.0 to 9.0), and so is its length: kGSCompilerManualLength characters, line breaks
// included, without a line break at the end (the driver prints one after it). Edit the
// prose freely, but keep the length; the tests check both. One literal per section.
#include "script_compiler/gs_manual_text.h"

namespace {

constexpr char kManual[] =
    R"manual(PELMO VizaVozado Language and Compiler Reference
================================================

This document describes the VizaVozado script language of Kodrin and the compiler that
turns VizaVozado sources into script libraries. It is printed by the compiler itself when
it is run with the -d switch, so the text you are reading always matches the compiler you
have. It is plain text; redirect it into a file to keep it beside your scripts.)manual"
    R"manual(


Contents
========

1.0 Introduction
2.0 The language
    2.1 Comments
    2.2 Keywords
    2.3 Identifiers
    2.4 Constants
    2.5 Types
    2.6 Operators
    2.7 Class declaration
    2.8 Function declaration
    2.9 Control flow statements
    2.10 Grammar
3.0 The compiler
    3.0 The basics
    3.1 Compiler switches
4.0 The library file
5.0 The byte code
6.0 The runtime environment
    6.1 Runtime stack
7.0 The compiler source files
8.0 The runtime source files
9.0 Using the language)manual"
    R"manual(


1.0 Introduction
================

VizaVozado is the script language of Kodrin. Scripts give assets behaviour: a scenery
object that reacts when a train passes, a rule that runs when a session starts, a library
of helper functions that several assets share. A script is written as a text file with the
extension ".gs" and compiled into a script library with the extension ".gsl". The product
loads libraries, links them to each other and to the native classes that the program
provides, and runs their code on script threads.

The language is small and strongly typed. Its syntax follows the family of C: statements
end in semicolons, blocks are enclosed in braces, and expressions use the familiar
operators. Everything a script does lives in classes. There are no global functions and no
global variables: a function is always a member of a class, and a value that must be
shared by everybody is a member of a static class.

Some features set VizaVozado apart from other object languages:

- Objects are created with "new" but never deleted by hand. The runtime counts references
  to strings, arrays and objects and frees each one when nothing refers to it any more.
- Classes may derive from several parent classes at once.
- A function may be declared as a thread. Calling it starts a new script thread that runs
  beside its caller; the caller does not wait for it.
- A thread may wait for messages. The "wait" statement and its "on" labels stop the thread
  until one of the named messages arrives, then continue at the matching label.
- Native classes and functions are implemented by the program itself and are declared in
  scripts only by their prototypes, marked "native".

The compiler checks a whole source before it writes anything. Every error is reported with
the file name and line, and a source with errors produces no library at all. When the
compiler returns without errors the library is complete and ready to be loaded.

This document first describes the language (section 2.0), then the compiler and its
switches (section 3.0). Sections 4.0 to 8.0 are placeholders. Section 9.0 shows how the
pieces work together in real scripts.)manual"
    R"manual(


2.0 The language
================

A VizaVozado source file is a sequence of include declarations followed by one or more
class declarations. Includes always come first; a class may not be followed by an
include. A file that holds only includes, or nothing at all, is not a valid source: every
source declares at least one class.

    include "gs.gs"

    class Counter
    {
      int count;

      public void Add(int amount)
      {
        count = count + amount;
      }
    };

The include names another source file whose classes this file uses. The compiler compiles
each included file once, however many sources include it, and records it as a dependency
of the library. Included classes are known by their declarations; their function bodies
are not compiled again and are not part of this library.

Source files are plain 8-bit text. A file that starts with the UTF-8 byte-order mark is
refused with a message that asks for the file to be saved as ANSI text. Lines may end in a
line feed or in a carriage return and line feed.)manual"
    R"manual(


2.1 Comments
============

Two forms of comment are recognised. A line comment starts with two slashes and runs to
the end of the line. A block comment starts with a slash and an asterisk and runs to the
next asterisk and slash, across any number of lines.

    // A line comment.
    int a;  // A comment after a declaration.

    /* A block comment
       that spans two lines. */

Block comments do not nest: the first "*/" ends the comment, whatever "/*" came before it.
A block comment that is never closed silently runs to the end of the file, so a missing
"*/" usually shows up as a parse error at the end of the file or as missing classes.
Comments count towards line numbers, so the line numbers in messages always match the
lines in your editor.)manual"
    R"manual(


2.2 Keywords
============

The following words are reserved. They are matched exactly, with case, and only as whole
words: "Class" and "classes" are ordinary identifiers.

    and       bool      break     case      cast      class     continue
    copy      default   define    else      false     final     float
    for       game      goto      if        include   int       isclass
    me        native    new       null      object    on        or
    public    return    secured   size      static    string    switch
    thread    true      void      wait      while

Each keyword is described below with a short example.

and
---
Logical conjunction. The right operand is evaluated only when the left one is true. Both
operands may be of any type but void; numbers are true when not zero, strings, objects and
arrays when not null. The result is a bool.

    if (train and train.GetVelocity() > 0.0) Interface.Print("moving");

bool
----
The type of truth values: true or false. In arithmetic a bool counts as 0 or 1, and a bool
may be assigned to an int or a float and back.

    bool ready = false;

break
-----
Leaves the nearest enclosing for, while, switch or wait statement and continues after it.

    while (true)
    {
      if (done) break;
    }

case
----
Labels a statement inside a switch with an integer constant. Control reaches the label
when the switch's value equals the constant. Case values must be constant integers, and no
two cases of one switch may have the same value.

    switch (mode)
    {
      case 1: Start(); break;
      default: break;
    }

cast
----
Converts an object to a named class: cast<Class> expression. The conversion is checked
when the script runs; when the object is not of that class (or one derived from it) the
result is null. The parenthesised form (type) expression converts between the basic types.

    Vehicle vehicle = cast<Vehicle> message.src;
    int whole = (int) 3.75;

class
-----
Declares a class: its parents, its member variables and its functions. A class
declaration ends with a semicolon after the closing brace.

    class Lamp isclass GameObject
    {
      bool lit;
    };

continue
--------
Goes on with the next round of the nearest enclosing for or while loop: in a for loop the
step expression runs first. Inside a wait statement, continue waits again.

    for (i = 0; i < 10; i++)
    {
      if (i % 2) continue;
      even++;
    }

copy
----
Copies the contents of one array or string into another of the same type: a.copy(b). The
target gets the elements of the source; both must have exactly the same type.

    int[] backup = new int[0];
    backup.copy(values);

default
-------
Labels the statement that runs when no case of a switch matches. Every switch must have
one, even when it does nothing.

    switch (n)
    {
      case 0: Reset(); break;
      default: break;
    }

define
------
Declares a named constant as a class member. A define member needs a constant initial
value and takes no room in an object; each use is replaced by the value itself. Define
members may be used through the class name from other classes.

    class Limits
    {
      public define int MAX_CARS = 40;
      public define string NAME = "Limits";
    };

else
----
Gives the statement that runs when the condition of an if is false. An else belongs to the
nearest if that has no else yet.

    if (speed > limit) Brake();
    else Accelerate();

false
-----
The bool constant false.

    bool open = false;

final
-----
On a function: derived classes may not override it. On a class: no class may derive
from it, and calls to its functions are bound directly, without a method-table lookup.

    final class Geometry
    {
      public final float Square(float x) { return x * x; }
    };

float
-----
The type of 32-bit floating-point numbers. Integers are converted to float where a float is
expected; a float given where an int is expected is truncated toward zero.

    float distance = 12.5;

for
---
A loop with an initial expression, a condition and a step expression, each of which may be
left out. Without a condition the loop runs until it is left with break, return or goto.

    int i, total = 0;
    for (i = 1; i <= 10; i++) total = total + i;

game
----
Marks a class as a game class: a class whose objects are game objects that own threads and
receive messages. A class that declares a thread function is a game class by itself. Game
classes cannot be created with new; the program creates their objects.

    game class Controller isclass GameObject
    {
    };

goto
----
Jumps to a named label in the same function. A goto to a label that does not exist is
reported as an error.

    if (failed) goto cleanup;
    Work();
    cleanup:
    Release();

if
--
Runs a statement when a condition is true, and optionally another one when it is false.
The condition may be of any type but void.

    if (count == 0) return;

include
-------
Names another source file at the start of a file. Its classes become known to this file.
The name is a string. It is searched in the folder of the source named on the command
line, then in each -i folder given.

    include "vehicle.gs"

int
---
The type of signed 32-bit integers. Arithmetic wraps around on overflow. Integer division
and remainder round toward zero.

    int count = 0x10;

isclass
-------
In a class declaration: introduces the list of parent classes. As an operator,
object.isclass(Class) tells whether the object is of that class or derived from it.

    class Tanker isclass Wagon, Cargo
    {
    };

    if (thing.isclass(Tanker)) Refill();

me
--
The object whose function is running. It may be used to pass the object to others, or to
reach its members explicitly.

    Register(me);

native
------
Marks a function prototype whose body is provided by the program, not by the script.
Native functions are declared by the program's own script files; a native function cannot
also be a thread.

    public native void Print(string text);

new
---
Creates a string, an array or an object. Arrays are created with their number of
elements; objects and strings with empty parentheses, since classes have no
constructors. Static and game classes cannot be created.

    int[] numbers = new int[8];
    Node node = new Node();

null
----
The empty reference: no string, no array, no object. It may be assigned to any string,
array or object variable and compared with them.

    if (target == null) return;

object
------
The type of any object, whatever its class. A variable of a named class type holds only
objects of that class or of a class derived from it.

    object anything = me;

on
--
Labels a statement inside a wait with a message type: a major name and a minor name,
both string constants, and optionally a variable that receives the message. An empty
minor name matches every minor.

    wait()
    {
      on "Object", "Enter", msg:
        Interface.Print("entered");
        continue;
    }

or
--
Logical disjunction. The right operand is evaluated only when the left one is false. The
operands follow the same rules as for "and"; the result is a bool.

    if (a == null or b == null) return;

public
------
Makes a member variable or function reachable from other classes through the "." operator.
Members without public are used by their plain names inside their class and the classes
derived from it, never through "." from another class.

    public int GetCount() { return count; }

return
------
Leaves the current function, with a value when the function returns one. A function that
returns a value must end with a return statement; a void function gets one at its end.

    return count * 2;

secured
-------
A class specifier used by the program's own script files. The compiler accepts it and
stores it with the class in the library; it changes nothing in the code of the class.

    secured class Internal
    {
    };

size
----
The number of elements of an array, or of characters of a string: x.size(). The array or
string must not be null; taking the size of null stops the thread with an error.

    int n = names.size();

static
------
Marks a class as static: the program creates exactly one object of it, which is reached by
the class name. Static classes are the place for shared helper functions and shared data.

    static class Tools
    {
      public int Twice(int x) { return x * 2; }
    };

    int y = Tools.Twice(21);

string
------
The type of text. Strings are references: a string variable may be null. Assigning a
string from a variable copies the text, so changing one variable never changes another.

    string name = "Kodrin";

switch
------
Chooses one of several statements by an integer value. Each choice starts at a case
label; the default label is required. Without break, control runs on into the next label.

    switch (state)
    {
      case 0: Idle(); break;
      case 1: Run(); break;
      default: break;
    }

thread
------
Marks a function that runs as a thread of its own. Calling it starts the thread and returns
at once. A thread function returns void and belongs to a game class.

    thread void Blink()
    {
      while (true)
      {
        Toggle();
        Sleep(0.5);
      }
    }

true
----
The bool constant true.

    bool enabled = true;

void
----
The type of functions that return no value. In a parameter list, (void) is the same as
an empty list.

    void Reset(void) { count = 0; }

wait
----
Stops the running thread until one of the messages named by its on labels arrives, then
continues at that label. A wait needs at least one on label.

    wait()
    {
      on "Timer", "Tick":
        Step();
        continue;
      on "Timer", "Stop":
        break;
    }

while
-----
Repeats a statement while a condition is true. The condition is tested before each round.

    while (queue.size() > 0) Serve();)manual"
    R"manual(


2.3 Identifiers
===============

Identifiers name classes, functions, variables, parameters and labels. An identifier
starts with a letter or an underscore, followed by any number of letters, digits and
underscores. Identifiers are case-sensitive: count, Count and COUNT are three different
names. A keyword can never be used as an identifier.

    int wagonCount;
    float _speed2;
    string Label_A;

Names are looked up from the inside out. A local variable hides a member of the same name,
and a local declared in an inner block hides one of an outer block. Inside a class, the
members of the class and of all its parent classes are found by their plain names. Class
names live in one global space that every source of a compile shares, together with the
classes of every included file.

Function names may be overloaded: one class may hold several functions of the same name as
long as their parameter lists differ. The compiler chooses the function whose parameters
fit the arguments with the fewest conversions (see 2.8).)manual"
    R"manual(


2.4 Constants
=============

Integer constants are written in decimal or in hexadecimal. Decimal constants are digits
only; leading zeros do not make them octal, so 010 is ten. Hexadecimal constants start with
0x or 0X; a hexadecimal value beyond 2147483647 is held at 2147483647.

    int a = 42;
    int b = 0x7F;
    int c = 010;      // ten

Character constants are single characters in single quotes. Their value is an int: the code
of the character in the source's code page, sign-extended, so characters above 127 give
negative values. Escapes may be used as in strings.

    int letter = 'A';     // 65
    int tab = '\t';       // 9

Floating-point constants contain a decimal point, with digits on at least one side of it,
and may end in a lower-case f: 1.5, .5, 5. and 2.25f are all floats. There is no exponent
notation. Note that 1.5F is the float 1.5 followed by the identifier F, and 5f is the
integer 5 followed by the identifier f: both are errors.

    float half = 0.5;
    float quarter = .25f;

String constants are written in double quotes and may span several lines; the line breaks
become part of the text. Inside a string (and a character constant) a backslash starts an
escape:

    \n  line feed          \t  tab               \v  vertical tab
    \r  carriage return    \f  form feed         \b  backspace
    \a  bell               \0  end of text       \\  backslash
    \'  single quote       \"  double quote

A backslash before any other character gives that character. The escape \0 ends the text
at that point: the characters after it are dropped. A leading L before a string or
character constant is accepted and ignored.

    string path = "folder\\file.txt";
    string two = "first line\nsecond line";

The bool constants are true and false. The constant null is the empty reference for
strings, arrays and objects.

Names declared with define (see 2.7) are constants too: wherever they appear, the compiler
puts their value in place, so they may be used in case labels and in other constants.

The compiler folds constant expressions: 2 * 60 + 5 is compiled as 125. Integer folding
wraps around on overflow exactly as arithmetic does when the script runs.)manual"
    R"manual(


2.5 Types
=========

Every variable, parameter, function result and expression has a type. The basic types are:

    void      no value; only as the result type of a function
    bool      true or false
    int       signed 32-bit integer
    float     32-bit floating-point number
    string    text, a reference that may be null
    object    any object, a reference that may be null

Every class is a type of its own. A variable of a class type holds null or an object of
that class or of a class derived from it. The type object accepts objects of any class.

Arrays have one dimension. An array type is written with [] after its element type:
bool[], int[], float[], string[], object[] and Class[] for any class. Arrays are
references: an array variable is null until an array is assigned to it.

    int[] counts = new int[10];
    string[] names = new string[3];
    Wagon[] train = new Wagon[0];

An element is reached with an index in brackets, counted from 0. A range of elements is
taken with two indices separated by a comma: a[2,5] holds the elements 2, 3 and 4. Either
index may be left out: a[,3] runs from the start, a[3,] to the end. Ranges work on strings
too, where they give part of the text; indexing a string gives the code of one character.

    string word = "locomotive";
    string part = word[0,4];     // "loco"
    int first = word[0];         // 'l'

Values are converted between types where it is safe to do so. The assignment rules are:

    target                 accepted values
    bool, int, float       bool, int, float
    string                 bool, int, float, string, null
    object or a class      objects (of that class or derived from it), null
    an array type          the same array type, null

A number assigned to a string becomes its text: 3 becomes "3", true becomes "true". A
float assigned to an int is truncated toward zero; a bool becomes 0 or 1. An object may
be given to a variable of a derived class only through cast<Class>, which checks it when
the script runs.

Strings, arrays and objects are counted references. Assigning one of them to a variable
copies the reference, except that a string taken from a variable, an element, a member or
a function result is copied, so that every string variable holds a text of its own. Arrays
and objects are shared: two array variables may refer to the same array, and a change made
through one is seen through the other. Use copy to duplicate an array.)manual"
    R"manual(


2.6 Operators
=============

The operators, from the tightest binding to the loosest:

    level  operators                              grouping
    1      a[i]  a[i,j]  f(args)  a.b  a++  a--   left to right
           a.size()  a.isclass(C)  a.copy(b)
    2      ++a  --a  +a  -a  ~a  !a               right to left
    3      (type) a   cast<Class> a               right to left
    4      *  /  %                                left to right
    5      +  -                                   left to right
    6      <<  >>                                 left to right
    7      <  >  <=  >=                           left to right
    8      ==  !=                                 left to right
    9      &                                      left to right
    10     ^                                      left to right
    11     |                                      left to right
    12     and                                    left to right
    13     or                                     left to right
    14     =                                      right to left
    15     ,                                      left to right

Arithmetic: * / % + - take ints and floats. When both operands are ints the result is an
int; otherwise the int operand is converted and the result is a float. Integer division
and remainder truncate toward zero, so -7 / 2 is -3 and -7 % 2 is -1. Dividing an int by
zero stops the thread with an error. The float remainder keeps the sign of the left value.

String concatenation: + with a string on either side and a bool, int, float or string on
the other side gives a string. The non-string operand is turned into its text first.

    string text = "wagons: " + count;

Bit operators: << >> & ^ | and ~ take ints only. A shift uses the right operand modulo 32.
The >> operator shifts in zero bits when the script runs; constant folding shifts in copies
of the sign bit, so write shifts of negative constants with care.

Comparison: < > <= >= == != compare numbers (an int compared with a float is converted to
float), strings (by their text), and references. Objects and arrays are compared for
identity with == and !=; null may be compared with any string, array or object. The
result is a bool.

Logical operators: ! gives true for zero, false, null and the empty reference. and and or
evaluate their right operand only when it can change the result.

Increment and decrement: ++ and -- add or subtract one from an int or float variable,
member or element. The prefix forms give the new value, the postfix forms the old one.

Assignment: = stores the value of its right side in its left side, which must be a
variable, a member or an element (an l-value). Its value is the stored value, so
a = b = 0 sets both. Assignments group from right to left.

Comma: a sequence of expressions separated by commas is evaluated left to right; its value
is the value of the last one. In if (a, b, c) only c decides.

Member access: a.b reaches the member b of the object a, or the static member of the class
a. a.f(args) calls a function of a's class. The left side must be a reference: a string,
an array or an object.

Special operators: x.size() is the number of elements (or characters), x.isclass(C) tells
whether the object x is of class C or derived from it, and x.copy(y) copies the elements
of y into x. These are operators, not functions: x.size without parentheses is an
ordinary member access.

Casts: (bool), (int), (float), (string) and (object) convert a value to a basic type, and
the array forms such as (int[]) to an array type. To convert an object to a class, write
cast<Class> object; note that (Class) object is a parse error.

    int n = (int) 2.9;                      // 2
    string s = (string) 7;                  // "7"
    Wagon w = cast<Wagon> vehicle;          // null when vehicle is no Wagon)manual"
    R"manual(


2.7 Class declaration
=====================

A class is declared with the keyword class, its name, an optional list of parent classes
after isclass, and its members in braces. The declaration ends with a semicolon.

    class Wagon isclass Vehicle, Cargo
    {
      public int axles = 4;
      float load;

      public float GetLoad() { return load; }
    };

The specifiers static, final and game may be written before class. public, native, thread
and define are not allowed on a class.

Members. A class holds member variables, define constants and functions, in any order.
Member variables may carry public and define, nothing else. A member variable may have an
initial value, which is given to it when an object of the class is created; members
without one start as 0, false, 0.0 or null. Every member of a class is visible inside the
class and the classes derived from it; only public members may be reached with "." from
other classes.

Define constants. A member declared with define is a named constant. It needs a constant
initial value, takes no room in the object and may be used through the class name:

    class Signal
    {
      public define int RED = 0;
      public define int GREEN = 2;
    };

    if (aspect == Signal.GREEN) Proceed();

Inheritance. The classes after isclass are the parents of the new class. A derived class
has every member variable and function of its parents, may add its own and may override
the parents' functions by declaring functions with the same name and parameter types.
When a class has several parents, each parent's part is kept whole in the object, in the
order the parents are listed. A class may not be reached twice through its parents: a
diamond, where two parents share an ancestor, is refused, and so is a cycle. A static or
final class cannot be a parent.

An object of a derived class may be used wherever one of its ancestors is expected. Calls
of an overridden function reach the version of the object's own class, whatever the type
of the variable through which it is called. Inside an overriding function, the name
inherited calls the version that the function overrides, with the arguments given:

    class Light
    {
      public void Reset() { level = 0; }
      int level;
    };

    class Lamp isclass Light
    {
      public void Reset()
      {
        inherited();
        lit = false;
      }
      bool lit;
    };

Static classes. A class declared static has exactly one object, created by the program
when the library is loaded. Its members are reached through the class name, from any
class. A static class cannot be created with new and cannot be a parent. Static classes
hold shared data and helper functions:

    static class Stats
    {
      public int trainsSeen;
      public void Count() { trainsSeen++; }
    };

    Stats.Count();

The name of a class that is not static may not be used as a value; writing Wagon.axles for
the class Wagon above is an error, since there is no single Wagon object to read from.

Game classes. A class declared game, or any class that declares a thread function, is a
game class. Objects of game classes are game objects: they are made by the program, own
threads and receive messages (see section 9.0). Game classes cannot be created with new.)manual"
    R"manual(


2.8 Function declaration
========================

A function is declared inside a class with its result type, its name, its parameters in
parentheses and its body in braces. A function that returns no value has the result type
void; an empty parameter list may be written () or (void).

    public int Add(int a, int b)
    {
      return a + b;
    }

Specifiers. A function may carry public, native, final and thread. static, game, define
and secured are not allowed on functions, nor native together with thread.

- public: the function may be called through "." from other classes.
- final: derived classes may not override the function.
- native: the function's body is part of the program. A native function is declared by
  its prototype only; user scripts rarely declare native functions, they call the ones the
  program's script files declare.
- thread: calling the function starts a new thread of the object's game object and
  returns at once. A thread function must return void. Its class becomes a game class.

Prototypes. A function may be declared ahead of its definition by a prototype: the same
head, ended by a semicolon instead of a body. The definition that follows must have the
same result type and specifiers.

    int Twice(int x);
    int Twice(int x) { return x * 2; }

Parameters. Parameters are passed by value: the function receives copies of numbers and
of references. Changing a parameter does not change the caller's variable; changing the
array or object that a reference parameter refers to is seen by the caller.

Local variables. Variables may be declared anywhere in a body, with or without an initial
value. A local is visible from its declaration to the end of its block. Locals carry no
specifiers. Two variables of one block may not have the same name, and a local may not
repeat the name of a parameter.

    void Report()
    {
      int i, total = 0;
      for (i = 0; i < counts.size(); i++)
      {
        int n = counts[i];
        total = total + n;
      }
    }

Results. A function with a result type other than void must end in a return statement with
a value of that type; the compiler reports a function whose last statement is not a return.
A void function may return early with return; and gets one at its end.

Overloading. Functions of one class may share a name when their parameter types differ.
A call chooses among the functions of that name with the same number of parameters: each
argument must be convertible to its parameter, and the function that needs the fewest
conversions wins. When two functions fit equally well without any conversion the call is
ambiguous and reported. Functions may not differ by their result type only.

    void Show(int n);
    void Show(string s);
    Show(3);        // Show(int)
    Show("three");  // Show(string)

Calls. A function of the same class (or of a parent) is called by its name; a function of
another object through ".": object.Function(arguments). A static class's functions are
called through the class name. Calling a function on a null object stops the thread with
an error.)manual"
    R"manual(


2.9 Control flow statements
===========================

Statements run in order. A statement is an expression followed by a semicolon, a
declaration, a block in braces, or one of the control statements below. A lone semicolon
is an empty statement.

if and else. The condition is any value but void; a number is true when it is not zero, a
reference when it is not null. An else belongs to the nearest if without an else.

    if (count > 10) Warn();
    else if (count > 0) Note();
    else Idle();

while. Tests the condition before each round and runs the body while it is true.

    while (i < n) i = i * 2;

for. for (initial; condition; step) body runs the initial expression once, then, while
the condition is true, the body and then the step. Any of the three may be empty; an empty
condition is true. Declarations are not allowed in the initial part: declare the variable
before the loop.

    int i;
    for (i = 0; i < 3; i++) Ring();

switch. The value must be an int. Control goes to the case whose constant equals the value,
or to default when none does. Every switch needs at least one case and a default, and two
cases may not share a value. Execution runs on from label to label until a break, so
several cases may share one statement:

    switch (day)
    {
      case 6:
      case 7:
        Rest();
        break;
      default:
        Work();
        break;
    }

break and continue. break leaves the nearest enclosing loop, switch or wait. continue
starts the next round of the nearest loop, or waits again in a wait statement.

goto and labels. Any statement may be given a label, a name followed by a colon. goto
name; jumps to it; the label must be in the same function. Use goto sparingly: it is
mostly useful to leave several nested loops at once.

return. Leaves the function, with a value unless the function is void.

wait and on. wait() { ... } holds on labels, each naming a message by its major and minor
type. The running thread stops at the wait until a message of one of those types arrives
for its game object. Execution then continues at the matching on label, with the message
in the variable given after the minor type (of the class Message or an object type), when
one is given. The statements of one on label end where the next label begins; reaching the
end of the wait's block, or a break, leaves the wait; continue waits again for the next
message. An empty minor type matches every minor type of that major.

    wait()
    {
      on "Junction", "Toggled", msg:
      {
        Interface.Print("junction toggled");
        continue;
      }
      on "Object", "Leave":
        break;
    }

An on label may also stand alone, outside any wait. The thread then waits for that one
message before it continues with the labelled statement.

Waiting belongs to the threads of game objects. Code that the program runs outside such a
thread, such as the initial values of members, cannot wait or sleep.)manual"
    R"manual(


2.10 Grammar
============

The productions below are the whole grammar that the compiler accepts. Words in lower case
are nonterminals, words in capitals are tokens (the names say which keyword, constant or
symbol), and quoted characters stand for themselves. Alternatives are separated by "|".
The one ambiguity, an else after if ( expression ) statement, is resolved in favour of
the nearest if.

program
    : include_list class_declaration_list
    | class_declaration_list
include_list
    : include_declaration
    | include_list include_declaration
include_declaration
    : INCLUDE include_file
include_file
    : STRING_CONSTANT
class_declaration_list
    : class_declaration
    | class_declaration_list class_declaration
class_declaration
    : CLASS identifier '{' '}' ';'
    | CLASS identifier '{' declaration_list '}' ';'
    | CLASS identifier ISCLASS class_list '{' '}' ';'
    | CLASS identifier ISCLASS class_list '{' declaration_list '}' ';'
    | declaration_specifiers CLASS identifier '{' '}' ';'
    | declaration_specifiers CLASS identifier '{' declaration_list '}' ';'
    | declaration_specifiers CLASS identifier ISCLASS class_list '{' '}' ';'
    | declaration_specifiers CLASS identifier ISCLASS class_list
      '{' declaration_list '}' ';'
class_list
    : identifier
    | class_list ',' identifier
declaration_list
    : declaration
    | declaration_list declaration
declaration
    : function_declaration
    | function_prototype_declaration
    | variable_declaration_list
    | declaration_specifiers function_declaration
    | declaration_specifiers function_prototype_declaration
    | declaration_specifiers variable_declaration_list
declaration_specifiers
    : declaration_specifier
    | declaration_specifiers declaration_specifier
declaration_specifier
    : PUBLIC | NATIVE | FINAL | THREAD | STATIC | GAME
function_prototype_declaration
    : type_specifier identifier '(' ')' ';'
    | type_specifier identifier '(' VOID ')' ';'
    | type_specifier identifier '(' parameter_list ')' ';'
function_declaration
    : type_specifier identifier '(' ')' compound_statement
    | type_specifier identifier '(' VOID ')' compound_statement
    | type_specifier identifier '(' parameter_list ')' compound_statement
variable_declaration_list
    : type_specifier declarator_list ';'
declarator_list
    : declarator
    | declarator_list ',' declarator
declarator
    : identifier
    | identifier '=' constant_expression
type_specifier
    : primitive_type
    | primitive_type '[]'
    | identifier
    | identifier '[]'
primitive_type
    : VOID | BOOL | INT | FLOAT | STRING | OBJECT
parameter_list
    : parameter
    | parameter_list ',' parameter
parameter
    : type_specifier identifier
compound_statement
    : '{' '}'
    | '{' statement_list '}'
statement_list
    : statement
    | statement_list statement
statement
    : variable_declaration_list
    | labeled_statement
    | compound_statement
    | expression_statement
    | selection_statement
    | iteration_statement
    | jump_statement
labeled_statement
    : identifier ':' statement
    | CASE constant_expression ':' statement
    | DEFAULT ':' statement
    | ON constant ',' constant ':' statement
    | ON constant ',' constant ',' unary_expression ':' statement
expression_statement
    : ';'
    | expression ';'
selection_statement
    : IF '(' expression ')' statement
    | IF '(' expression ')' statement ELSE statement
    | SWITCH '(' expression ')' compound_statement
    | WAIT '(' ')' compound_statement
iteration_statement
    : WHILE '(' expression ')' statement
    | FOR '(' expression_statement expression_statement ')' statement
    | FOR '(' expression_statement expression_statement expression ')' statement
jump_statement
    : GOTO identifier ';'
    | CONTINUE ';'
    | BREAK ';'
    | RETURN ';'
    | RETURN expression ';'
constant_expression
    : logical_or_expression
expression
    : assignment_expression
    | expression ',' assignment_expression
assignment_expression
    : logical_or_expression
    | unary_expression '=' assignment_expression
logical_or_expression
    : logical_and_expression
    | logical_or_expression OR logical_and_expression
logical_and_expression
    : inclusive_or_expression
    | logical_and_expression AND inclusive_or_expression
inclusive_or_expression
    : exclusive_or_expression
    | inclusive_or_expression '|' exclusive_or_expression
exclusive_or_expression
    : and_expression
    | exclusive_or_expression '^' and_expression
and_expression
    : equality_expression
    | and_expression '&' equality_expression
equality_expression
    : relational_expression
    | equality_expression '==' relational_expression
    | equality_expression '!=' relational_expression
relational_expression
    : shift_expression
    | relational_expression '<' shift_expression
    | relational_expression '>' shift_expression
    | relational_expression '<=' shift_expression
    | relational_expression '>=' shift_expression
shift_expression
    : additive_expression
    | shift_expression '<<' additive_expression
    | shift_expression '>>' additive_expression
additive_expression
    : multiplicative_expression
    | additive_expression '+' multiplicative_expression
    | additive_expression '-' multiplicative_expression
multiplicative_expression
    : cast_expression
    | multiplicative_expression '*' cast_expression
    | multiplicative_expression '/' cast_expression
    | multiplicative_expression '%' cast_expression
cast_expression
    : unary_expression
    | '(' primitive_type ')' cast_expression
    | '(' primitive_type '[]' ')' cast_expression
    | CAST '<' type_specifier '>' cast_expression
unary_expression
    : postfix_expression
    | '++' unary_expression
    | '--' unary_expression
    | unary_operator cast_expression
unary_operator
    : '+' | '-' | '~' | '!'
postfix_expression
    : primary_expression
    | postfix_expression '[' ',' assignment_expression ']'
    | postfix_expression '[' assignment_expression ',' ']'
    | postfix_expression '[' assignment_expression ',' assignment_expression ']'
    | postfix_expression '[' assignment_expression ']'
    | postfix_expression '(' ')'
    | postfix_expression '(' argument_expression_list ')'
    | postfix_expression '.' identifier
    | postfix_expression '++'
    | postfix_expression '--'
    | postfix_expression '.' SIZE '(' ')'
    | postfix_expression '.' ISCLASS '(' identifier ')'
    | postfix_expression '.' COPY '(' assignment_expression ')'
argument_expression_list
    : assignment_expression
    | argument_expression_list ',' assignment_expression
primary_expression
    : identifier
    | ME
    | NULL
    | constant
    | new_expression
    | '(' expression ')'
new_expression
    : NEW primitive_type '(' ')'
    | NEW primitive_type '(' argument_expression_list ')'
    | NEW primitive_type '[' expression ']'
    | NEW identifier '(' ')'
    | NEW identifier '(' argument_expression_list ')'
    | NEW identifier '[' expression ']'
identifier
    : IDENTIFIER
constant
    : HEX_CONSTANT | INT_CONSTANT | CHAR_CONSTANT | FLOAT_CONSTANT | STRING_CONSTANT
    | TRUE | FALSE

The grammar accepts some forms that the checks after parsing refuse: new with arguments
("constructors not yet supported"), a define member without a constant value, specifiers
where they do not belong. Those are reported with their own messages, not as parse errors.)manual"
    R"manual(


3.0 The compiler
================

The compiler reads one source file, follows its includes and writes one script library.
In Kodrin it is run through the tool's compile command:

    KodrinUtil compile [switches] source.gs

Relative paths are taken from the folder in which the tool was started. The compiler's
result is the number of errors: 0 means the library was written.)manual"
    R"manual(


3.0 The basics
==============

A library (".gsl") holds the compiled classes of one source file: their member layouts,
their functions' byte code and line tables, the names of the classes and functions they
refer to, and the texts they use. Classes of included files are not copied into the
library; the library names them as dependencies, and the runtime links it to the
libraries of those files when it is loaded.

Every library is named by its id pair, two CRC-32 values. The first is taken over the
source text as the compiler saw it. The second is taken over the source's file name
without its folder, in lower case; a ".gse" file is named as its ".gs" form, so an
encrypted source and its plain form have the same second id. The library records its own
pair first and then the pair of each included source, numbered in the order the compiler
first met them. A change to any source therefore changes the pairs that the libraries
built on it expect, and a stale library is noticed when it is linked.

The compiler searches for a source and its includes in this order: the folder of the
source named on the command line, then each folder given with -i, in command-line order.
In each folder the ".gs" file is taken before a ".gse" file of the same name. Each include
is compiled once per compile, however many sources include it.

The library is written beside the source, or in the folder given with -p, under the name
of the source with the extension ".gsl". When a source has errors no library is written.

Messages have the form "file(line) : text", for example:

    train.gs(12) : variable speed not declared, line 12.)manual"
    R"manual(


3.1 Compiler switches
=====================

Switches start with "-" and their value follows the letter without a space. They may come
in any order, before or after the source name.

    -d          Print this document and do nothing else. Any other switch or source
                name on the command line is ignored.
    -s          Silent: do not print the compile messages on the console.
    -bfile      Append the compile messages to the file, creating it when needed.
    -ppath      Write the library into the folder of path. The last part of path is
                taken as a file name, so end a folder with a separator: -pout/ writes
                into out, while -pout writes into out's parent.
    -ipath      Search the folder for includes, after the source's own folder. May be
                given several times; the folders are searched in order.
    -ofile      Accepted, for compatibility; the library is always named after the source.
    source      The source file to compile. When several are given, the last one counts.

Without a source name the compiler prints a short usage text and returns 1.)manual"
    R"manual(


4.0 The library file
====================

omitted for public release)manual"
    R"manual(


5.0 The byte code
=================

omitted for public release)manual"
    R"manual(


6.0 The runtime environment
===========================

omitted for public release)manual"
    R"manual(


6.1 Runtime stack
=================

omitted for public release)manual"
    R"manual(


7.0 The compiler source files
=============================

omitted for public release)manual"
    R"manual(


8.0 The runtime source files
============================

omitted for public release)manual"
    R"manual(


9.0 Using the language
======================

Readers who know other object languages will find most of VizaVozado familiar. These are
the differences that matter most in practice:

- There are no constructors and no destructors. An object's members start with their
  initial values; give a class an Init function of your own when it needs more set-up,
  and call it after new.
- Nothing is deleted by hand. Drop the last reference to an object (assign null to the
  variable) and it is freed.
- Strings are copied on assignment from variables, arrays and objects are shared.
- Only one-dimensional arrays exist. Use an array of objects that hold arrays to build a
  table.
- Members are private unless declared public, and there is no protected: derived classes
  see all members of their parents.
- Integer and float arithmetic follow 32-bit rules; there is no 64-bit integer and no
  double-precision float.
- Calls to thread functions never wait. Use messages to learn when a thread is done.

Game objects. The objects that Kodrin places in the world (scenery, trains, junctions,
signals and the session itself) are game objects: objects of classes derived from
GameObject, which the program creates when it loads an asset and attaches to the asset's
script class. A game object has a name and an id, owns up to 64 threads, and receives
messages. Its threads run in turns: each runs until it waits, sleeps or ends, then the
next one runs.

Messages. A message is sent from one game object to another (or to everybody) and has a
major and a minor type, both strings such as "Object" and "Enter". SendMessage delivers a
message at once, PostMessage after a delay in seconds. A thread receives messages in a
wait statement; a game object may also route messages to a member function with
AddHandler, or watch the messages of another object with Sniff. The message itself is an
object of the class Message, whose members major, minor, src and dst name its types, its
sender and its receiver.

Example. Two classes: a crossing that closes its gates while a train is inside, and a
static class that counts the trains. The thread Watch is started once; it waits for the
messages that the program sends when a train enters or leaves, and uses Sleep to give the
gates time to move.

    include "gs.gs"

    static class CrossingStats
    {
      public int trains;
      public void Seen() { trains++; }
    };

    game class Crossing isclass GameObject
    {
      bool closed;
      int inside;

      public void Init()
      {
        closed = false;
        inside = 0;
        Watch();
      }

      void SetGates(bool close)
      {
        closed = close;
        PostMessage(me, "Crossing", "Changed", 0.0);
      }

      thread void Watch()
      {
        Message msg;
        wait()
        {
          on "Object", "Enter", msg:
          {
            inside++;
            CrossingStats.Seen();
            if (!closed) SetGates(true);
            continue;
          }
          on "Object", "Leave", msg:
          {
            if (inside > 0) inside--;
            if (inside == 0)
            {
              Sleep(2.0);
              SetGates(false);
            }
            continue;
          }
          on "Crossing", "Stop":
            break;
        }
      }
    };

Notes on the example: Watch is a thread, so calling it in Init returns at once and the
loop runs on its own thread. The wait never ends by itself: each handler ends in continue,
which waits for the next message, and only the "Stop" message leaves the loop. The
static class needs no object; CrossingStats.Seen() reaches the one object that the
program creates for it. The message variable msg could be used to find the train with
cast<Vehicle> msg.src.

Common messages. Most first compiles of a script stop at one of a few errors, and the
text usually says what to change:

- "parse error, line N": the line breaks the grammar. Look for a missing semicolon, often
  after the closing brace of a class, or at the end of the line before.
- "variable x not declared": the name is misspelt, or declared in a block that has ended.
- "function f not declared in class C or derivative": no function of that name takes
  these argument types; check the number and the types of the arguments.
- "switch statement without default": add a default label, even an empty one.
- "return type mismatch, expecting int": a return without a value, or with a value of
  another type, in a function that returns int.
- "member m not public in object C": declare the member public, or reach it through a
  public function of its class.
- "Could not read file": a source or include was not found in the search folders.
- "cannot cast from object<Vehicle> to object<Wagon>": an ancestor's object is given to a
  variable of a derived class. Convert it with cast<Wagon>, which gives null when the
  object is of another class, and test the result before using it.
- "thread function must return void": declare the thread as void; a thread passes its
  results on in messages or in members.)manual";

static_assert(sizeof kManual - 1 == kGSCompilerManualLength, "the manual's length is fixed");

}  // namespace

std::string_view GSCompilerManual() {
    return {kManual, sizeof kManual - 1};
}
