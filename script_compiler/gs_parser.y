/* The grammar of script sources and the syntax tree each rule builds (gs_node.h). Nodes
   take the scanner's current line when they are built. The only conflict is the "else"
   after "if ( expression ) statement", shifted so it belongs to the nearest "if". Lists
   travel up as (head, tail) pairs so that appending costs the same at any length. bison's
   own messages are replaced by the compiler's ("parse error", "parser stack overflow"). */
%require "3.2"
%define api.prefix {gs_}
%expect 1

%code requires {
#include "script_compiler/gs_parser_actions.h"
}

%code {
#define YYINITDEPTH 200
#define YYMAXDEPTH 10000

static int gs_lex() { return GSParserLex(); }
static void gs_error(const char* message) { GSParserError(message); }
}

%union {
    GSCNode* node;
    GSNodeList list;
    uint32_t flags;
    int32_t code;
}

%token KEYWORD_BREAK 258 KEYWORD_CASE 259 KEYWORD_CONTINUE 260 KEYWORD_DEFAULT 261
%token KEYWORD_ELSE 262 KEYWORD_FOR 263 KEYWORD_GOTO 264 KEYWORD_IF 265 KEYWORD_NULL 266
%token KEYWORD_RETURN 267 KEYWORD_SWITCH 268 KEYWORD_WHILE 269 KEYWORD_AND 270
%token KEYWORD_OR 271 KEYWORD_TRUE 272 KEYWORD_FALSE 273 KEYWORD_VOID 274 KEYWORD_BOOL 275
%token KEYWORD_INT 276 KEYWORD_FLOAT 277 KEYWORD_STRING 278 KEYWORD_OBJECT 279
%token KEYWORD_CLASS 280 KEYWORD_INCLUDE 281 KEYWORD_DEFINE 282 KEYWORD_STATIC 283
%token KEYWORD_PUBLIC 284 KEYWORD_NATIVE 285 KEYWORD_FINAL 286 KEYWORD_THREAD 287
%token KEYWORD_GAME 288 KEYWORD_SECURED 289 KEYWORD_SIZE 290 KEYWORD_ISCLASS 291
%token KEYWORD_COPY 292 KEYWORD_ME 293 KEYWORD_NEW 294 KEYWORD_CAST 295 KEYWORD_WAIT 296
%token KEYWORD_ON 297 IDENTIFIER 298 CONSTANT_HEX 299 CONSTANT_INT 300 CONSTANT_CHAR 301
%token CONSTANT_FLOAT 302 CONSTANT_STRING 303 SYMBOL_OP_DIM 304 SYMBOL_RIGHT_SHIFT 305
%token SYMBOL_LEFT_SHIFT 306 SYMBOL_INC 307 SYMBOL_DEC 308 SYMBOL_LTE 309 SYMBOL_GTE 310
%token SYMBOL_EQ 311 SYMBOL_NEQ 312 SYMBOL_STRAY 313

%type <list> include_list class_declaration_list class_list declaration_list
%type <list> declarator_list parameter_list statement_list expression argument_expression_list
%type <node> include_declaration include_file class_declaration declaration
%type <node> function_prototype_declaration function_declaration variable_declaration_list
%type <node> declarator type_specifier primitive_type parameter compound_statement statement
%type <node> labeled_statement expression_statement selection_statement iteration_statement
%type <node> jump_statement constant_expression assignment_expression logical_or_expression
%type <node> logical_and_expression inclusive_or_expression exclusive_or_expression
%type <node> and_expression equality_expression relational_expression shift_expression
%type <node> additive_expression multiplicative_expression cast_expression unary_expression
%type <node> postfix_expression primary_expression new_expression identifier constant
%type <flags> declaration_specifiers declaration_specifier
%type <code> unary_operator

%start program

%%

program
    : include_list class_declaration_list   { GSSetRoot(GSAppend($1, $2.head).head); }
    | class_declaration_list                { GSSetRoot($1.head); }
    ;

include_list
    : include_declaration                   { $$ = GSListOf($1); }
    | include_list include_declaration      { $$ = GSAppend($1, $2); }
    ;

include_declaration
    : KEYWORD_INCLUDE include_file          { $$ = GSDecl(GS_DECL_INCLUDE, -1, $2); }
    ;

include_file
    : CONSTANT_STRING                       { $$ = GSIncludeName(); }
    ;

class_declaration_list
    : class_declaration                             { $$ = GSListOf($1); }
    | class_declaration_list class_declaration      { $$ = GSAppend($1, $2); }
    ;

class_declaration
    : KEYWORD_CLASS identifier '{' '}' ';'
        { $$ = GSClass(0, $2, nullptr, nullptr); }
    | KEYWORD_CLASS identifier '{' declaration_list '}' ';'
        { $$ = GSClass(0, $2, nullptr, $4.head); }
    | KEYWORD_CLASS identifier KEYWORD_ISCLASS class_list '{' '}' ';'
        { $$ = GSClass(0, $2, $4.head, nullptr); }
    | KEYWORD_CLASS identifier KEYWORD_ISCLASS class_list '{' declaration_list '}' ';'
        { $$ = GSClass(0, $2, $4.head, $6.head); }
    | declaration_specifiers KEYWORD_CLASS identifier '{' '}' ';'
        { $$ = GSClass($1, $3, nullptr, nullptr); }
    | declaration_specifiers KEYWORD_CLASS identifier '{' declaration_list '}' ';'
        { $$ = GSClass($1, $3, nullptr, $5.head); }
    | declaration_specifiers KEYWORD_CLASS identifier KEYWORD_ISCLASS class_list '{' '}' ';'
        { $$ = GSClass($1, $3, $5.head, nullptr); }
    | declaration_specifiers KEYWORD_CLASS identifier KEYWORD_ISCLASS class_list '{' declaration_list '}' ';'
        { $$ = GSClass($1, $3, $5.head, $7.head); }
    ;

class_list
    : identifier                            { $$ = GSListOf(GSName($1)); }
    | class_list ',' identifier             { $$ = GSAppend($1, GSName($3)); }
    ;

declaration_list
    : declaration                           { $$ = GSListOf($1); }
    | declaration_list declaration          { $$ = GSAppend($1, $2); }
    ;

declaration
    : function_declaration                  { $$ = $1; }
    | function_prototype_declaration        { $$ = $1; }
    | variable_declaration_list             { $$ = GSAddFlags($1, GS_FLAG_MEMBER); }
    | declaration_specifiers function_declaration           { $$ = GSAddFlags($2, $1); }
    | declaration_specifiers function_prototype_declaration { $$ = GSAddFlags($2, $1); }
    | declaration_specifiers variable_declaration_list
        { $$ = GSAddFlags($2, $1 | GS_FLAG_MEMBER); }
    ;

declaration_specifiers
    : declaration_specifier                         { $$ = $1; }
    | declaration_specifiers declaration_specifier  { $$ = $1 | $2; }
    ;

declaration_specifier
    : KEYWORD_PUBLIC    { $$ = GS_FLAG_PUBLIC; }
    | KEYWORD_NATIVE    { $$ = GS_FLAG_NATIVE; }
    | KEYWORD_FINAL     { $$ = GS_FLAG_FINAL; }
    | KEYWORD_THREAD    { $$ = GS_FLAG_THREAD; }
    | KEYWORD_STATIC    { $$ = GS_FLAG_STATIC; }
    | KEYWORD_GAME      { $$ = GS_FLAG_GAME; }
    | KEYWORD_SECURED   { $$ = GS_FLAG_SECURED; }
    | KEYWORD_DEFINE    { $$ = GS_FLAG_DEFINE; }
    ;

function_prototype_declaration
    : type_specifier identifier '(' ')' ';'
        { $$ = GSFunction(GS_DECL_PROTOTYPE, $1, $2, nullptr, nullptr); }
    | type_specifier identifier '(' KEYWORD_VOID ')' ';'
        { $$ = GSFunction(GS_DECL_PROTOTYPE, $1, $2, nullptr, nullptr); }
    | type_specifier identifier '(' parameter_list ')' ';'
        { $$ = GSFunction(GS_DECL_PROTOTYPE, $1, $2, $4.head, nullptr); }
    ;

function_declaration
    : type_specifier identifier '(' ')' compound_statement
        { $$ = GSFunction(GS_DECL_FUNCTION, $1, $2, nullptr, $5); }
    | type_specifier identifier '(' KEYWORD_VOID ')' compound_statement
        { $$ = GSFunction(GS_DECL_FUNCTION, $1, $2, nullptr, $6); }
    | type_specifier identifier '(' parameter_list ')' compound_statement
        { $$ = GSFunction(GS_DECL_FUNCTION, $1, $2, $4.head, $6); }
    ;

variable_declaration_list
    : type_specifier declarator_list ';'    { $$ = GSDecl(GS_DECL_VARIABLES, -1, $1, $2.head); }
    ;

declarator_list
    : declarator                            { $$ = GSListOf($1); }
    | declarator_list ',' declarator        { $$ = GSAppend($1, $3); }
    ;

declarator
    : identifier                            { $$ = GSDecl(GS_DECL_DECLARATOR, -1, GSName($1)); }
    | identifier '=' constant_expression
        { $$ = GSDecl(GS_DECL_DECLARATOR, -1, GSName($1), $3); }
    ;

type_specifier
    : primitive_type                        { $$ = $1; }
    | primitive_type SYMBOL_OP_DIM          { $$ = GSArrayOf($1); }
    | identifier                            { $$ = GSDecl(GS_DECL_TYPE, GS_TYPE_OBJECT, GSName($1)); }
    | identifier SYMBOL_OP_DIM
        { $$ = GSDecl(GS_DECL_TYPE, GS_TYPE_OBJECT + GS_TYPE_ARRAY, GSName($1)); }
    ;

primitive_type
    : KEYWORD_VOID      { $$ = GSDecl(GS_DECL_TYPE, GS_TYPE_VOID); }
    | KEYWORD_BOOL      { $$ = GSDecl(GS_DECL_TYPE, GS_TYPE_BOOL); }
    | KEYWORD_INT       { $$ = GSDecl(GS_DECL_TYPE, GS_TYPE_INT); }
    | KEYWORD_FLOAT     { $$ = GSDecl(GS_DECL_TYPE, GS_TYPE_FLOAT); }
    | KEYWORD_STRING    { $$ = GSDecl(GS_DECL_TYPE, GS_TYPE_STRING); }
    | KEYWORD_OBJECT    { $$ = GSDecl(GS_DECL_TYPE, GS_TYPE_OBJECT); }
    ;

parameter_list
    : parameter                             { $$ = GSListOf($1); }
    | parameter_list ',' parameter          { $$ = GSAppend($1, $3); }
    ;

parameter
    : type_specifier identifier             { $$ = GSDecl(GS_DECL_PARAMETER, -1, $1, GSName($2)); }
    ;

compound_statement
    : '{' '}'                               { $$ = GSStmt(GS_STMT_BLOCK); }
    | '{' statement_list '}'                { $$ = GSStmt(GS_STMT_BLOCK, $2.head); }
    ;

statement_list
    : statement                             { $$ = GSListOf($1); }
    | statement_list statement              { $$ = GSAppend($1, $2); }
    ;

statement
    : variable_declaration_list             { $$ = $1; }
    | labeled_statement                     { $$ = $1; }
    | compound_statement                    { $$ = $1; }
    | expression_statement                  { $$ = $1; }
    | selection_statement                   { $$ = $1; }
    | iteration_statement                   { $$ = $1; }
    | jump_statement                        { $$ = $1; }
    ;

labeled_statement
    : identifier ':' statement
        { $$ = GSLabel(GSStmt(GS_STMT_LABEL, GSName($1)), $3); }
    | KEYWORD_CASE constant_expression ':' statement
        { $$ = GSLabel(GSStmt(GS_STMT_CASE, $2), $4); }
    | KEYWORD_DEFAULT ':' statement
        { $$ = GSLabel(GSStmt(GS_STMT_DEFAULT), $3); }
    | KEYWORD_ON constant ',' constant ':' statement
        { $$ = GSLabel(GSStmt(GS_STMT_ON, $2, $4), $6); }
    | KEYWORD_ON constant ',' constant ',' unary_expression ':' statement
        { $$ = GSLabel(GSStmt(GS_STMT_ON, $2, $4, $6), $8); }
    ;

expression_statement
    : ';'                                   { $$ = nullptr; }
    | expression ';'                        { $$ = GSDiscardAll($1.head); }
    ;

selection_statement
    : KEYWORD_IF '(' expression ')' statement
        { $$ = GSStmt(GS_STMT_IF, $3.head, $5); }
    | KEYWORD_IF '(' expression ')' statement KEYWORD_ELSE statement
        { $$ = GSStmt(GS_STMT_IF, $3.head, $5, $7); }
    | KEYWORD_SWITCH '(' expression ')' compound_statement
        { $$ = GSStmt(GS_STMT_SWITCH, $3.head, $5); }
    | KEYWORD_WAIT '(' ')' compound_statement
        { $$ = GSStmt(GS_STMT_WAIT, $4); }
    ;

iteration_statement
    : KEYWORD_WHILE '(' expression ')' statement
        { $$ = GSStmt(GS_STMT_WHILE, $3.head, $5); }
    | KEYWORD_FOR '(' expression_statement expression_statement ')' statement
        { $$ = GSFor($3, $4, $6, nullptr); }
    | KEYWORD_FOR '(' expression_statement expression_statement expression ')' statement
        { $$ = GSFor($3, $4, $7, $5.head); }
    ;

jump_statement
    : KEYWORD_GOTO identifier ';'           { $$ = GSStmt(GS_STMT_GOTO, GSName($2)); }
    | KEYWORD_CONTINUE ';'                  { $$ = GSStmt(GS_STMT_CONTINUE); }
    | KEYWORD_BREAK ';'                     { $$ = GSStmt(GS_STMT_BREAK); }
    | KEYWORD_RETURN ';'                    { $$ = GSStmt(GS_STMT_RETURN); }
    | KEYWORD_RETURN expression ';'         { $$ = GSStmt(GS_STMT_RETURN, $2.head); }
    ;

constant_expression
    : logical_or_expression                 { $$ = $1; }
    ;

expression
    : assignment_expression                 { $$ = GSListOf($1); }
    | expression ',' assignment_expression  { $$ = GSAppendDiscarding($1, $3); }
    ;

assignment_expression
    : logical_or_expression                 { $$ = $1; }
    | unary_expression '=' assignment_expression  { $$ = GSOp(GS_OP_ASSIGN, $1, $3); }
    ;

logical_or_expression
    : logical_and_expression                { $$ = $1; }
    | logical_or_expression KEYWORD_OR logical_and_expression  { $$ = GSOp(GS_OP_OR, $1, $3); }
    ;

logical_and_expression
    : inclusive_or_expression               { $$ = $1; }
    | logical_and_expression KEYWORD_AND inclusive_or_expression
        { $$ = GSOp(GS_OP_AND, $1, $3); }
    ;

inclusive_or_expression
    : exclusive_or_expression               { $$ = $1; }
    | inclusive_or_expression '|' exclusive_or_expression  { $$ = GSOp(GS_OP_BIT_OR, $1, $3); }
    ;

exclusive_or_expression
    : and_expression                        { $$ = $1; }
    | exclusive_or_expression '^' and_expression  { $$ = GSOp(GS_OP_BIT_XOR, $1, $3); }
    ;

and_expression
    : equality_expression                   { $$ = $1; }
    | and_expression '&' equality_expression  { $$ = GSOp(GS_OP_BIT_AND, $1, $3); }
    ;

equality_expression
    : relational_expression                 { $$ = $1; }
    | equality_expression SYMBOL_EQ relational_expression   { $$ = GSOp(GS_OP_EQ, $1, $3); }
    | equality_expression SYMBOL_NEQ relational_expression  { $$ = GSOp(GS_OP_NEQ, $1, $3); }
    ;

relational_expression
    : shift_expression                      { $$ = $1; }
    | relational_expression '<' shift_expression         { $$ = GSOp(GS_OP_LT, $1, $3); }
    | relational_expression '>' shift_expression         { $$ = GSOp(GS_OP_GT, $1, $3); }
    | relational_expression SYMBOL_LTE shift_expression  { $$ = GSOp(GS_OP_LTE, $1, $3); }
    | relational_expression SYMBOL_GTE shift_expression  { $$ = GSOp(GS_OP_GTE, $1, $3); }
    ;

shift_expression
    : additive_expression                   { $$ = $1; }
    | shift_expression SYMBOL_LEFT_SHIFT additive_expression   { $$ = GSOp(GS_OP_SHL, $1, $3); }
    | shift_expression SYMBOL_RIGHT_SHIFT additive_expression  { $$ = GSOp(GS_OP_SHR, $1, $3); }
    ;

additive_expression
    : multiplicative_expression             { $$ = $1; }
    | additive_expression '+' multiplicative_expression  { $$ = GSOp(GS_OP_ADD, $1, $3); }
    | additive_expression '-' multiplicative_expression  { $$ = GSOp(GS_OP_SUB, $1, $3); }
    ;

multiplicative_expression
    : cast_expression                       { $$ = $1; }
    | multiplicative_expression '*' cast_expression  { $$ = GSOp(GS_OP_MUL, $1, $3); }
    | multiplicative_expression '/' cast_expression  { $$ = GSOp(GS_OP_DIV, $1, $3); }
    | multiplicative_expression '%' cast_expression  { $$ = GSOp(GS_OP_MOD, $1, $3); }
    ;

cast_expression
    : unary_expression                      { $$ = $1; }
    | '(' primitive_type ')' cast_expression  { $$ = GSOp(GS_OP_CAST, $4, $2); }
    | '(' primitive_type SYMBOL_OP_DIM ')' cast_expression
        { $$ = GSOp(GS_OP_CAST, $5, GSArrayOf($2)); }
    | KEYWORD_CAST '<' type_specifier '>' cast_expression  { $$ = GSOp(GS_OP_CAST, $5, $3); }
    ;

unary_expression
    : postfix_expression                    { $$ = $1; }
    | SYMBOL_INC unary_expression           { $$ = GSOp(GS_OP_PRE_INC, $2); }
    | SYMBOL_DEC unary_expression           { $$ = GSOp(GS_OP_PRE_DEC, $2); }
    | unary_operator cast_expression        { $$ = GSOp($1, $2); }
    ;

unary_operator
    : '+'   { $$ = GS_OP_PLUS; }
    | '-'   { $$ = GS_OP_NEGATE; }
    | '~'   { $$ = GS_OP_COMPLEMENT; }
    | '!'   { $$ = GS_OP_NOT; }
    ;

postfix_expression
    : primary_expression                    { $$ = $1; }
    | postfix_expression '[' ',' assignment_expression ']'
        { $$ = GSOp(GS_OP_RANGE, $1, nullptr, $4); }
    | postfix_expression '[' assignment_expression ',' ']'
        { $$ = GSOp(GS_OP_RANGE, $1, $3, nullptr); }
    | postfix_expression '[' assignment_expression ',' assignment_expression ']'
        { $$ = GSOp(GS_OP_RANGE, $1, $3, $5); }
    | postfix_expression '[' assignment_expression ']'  { $$ = GSOp(GS_OP_INDEX, $1, $3); }
    | postfix_expression '(' ')'            { $$ = GSExpr(GS_EXPR_CALL, $1); }
    | postfix_expression '(' argument_expression_list ')'
        { $$ = GSExpr(GS_EXPR_CALL, $1, $3.head); }
    | postfix_expression '.' identifier     { $$ = GSOp(GS_OP_MEMBER, $1, GSMemberName($3)); }
    | postfix_expression SYMBOL_INC         { $$ = GSOp(GS_OP_POST_INC, $1); }
    | postfix_expression SYMBOL_DEC         { $$ = GSOp(GS_OP_POST_DEC, $1); }
    | postfix_expression '.' KEYWORD_SIZE '(' ')'  { $$ = GSOp(GS_OP_SIZE, $1); }
    | postfix_expression '.' KEYWORD_ISCLASS '(' identifier ')'
        { $$ = GSOp(GS_OP_ISCLASS, $1, GSName($5)); }
    | postfix_expression '.' KEYWORD_COPY '(' assignment_expression ')'
        { $$ = GSOp(GS_OP_COPY, $1, $5); }
    ;

argument_expression_list
    : assignment_expression                 { $$ = GSListOf($1); }
    | argument_expression_list ',' assignment_expression  { $$ = GSAppend($1, $3); }
    ;

primary_expression
    : identifier                            { $$ = $1; }
    | KEYWORD_ME                            { $$ = GSExpr(GS_EXPR_ME); }
    | KEYWORD_NULL                          { $$ = GSExpr(GS_EXPR_NULL); }
    | constant                              { $$ = $1; }
    | new_expression                        { $$ = $1; }
    | '(' expression ')'                    { $$ = GSSequence($2); }
    ;

new_expression
    : KEYWORD_NEW primitive_type '(' ')'    { $$ = GSOp(GS_OP_NEW, $2); }
    | KEYWORD_NEW primitive_type '(' argument_expression_list ')'
        { $$ = GSOp(GS_OP_NEW, $2, nullptr, $4.head); }
    | KEYWORD_NEW primitive_type '[' expression ']'
        { $$ = GSOp(GS_OP_NEW, GSArrayOf($2), $4.head); }
    | KEYWORD_NEW identifier '(' ')'
        { $$ = GSOp(GS_OP_NEW, GSDecl(GS_DECL_TYPE, GS_TYPE_OBJECT, GSName($2))); }
    | KEYWORD_NEW identifier '(' argument_expression_list ')'
        { $$ = GSOp(GS_OP_NEW, GSDecl(GS_DECL_TYPE, GS_TYPE_OBJECT, GSName($2)), nullptr, $4.head); }
    | KEYWORD_NEW identifier '[' expression ']'
        { $$ = GSOp(GS_OP_NEW, GSDecl(GS_DECL_TYPE, GS_TYPE_OBJECT + GS_TYPE_ARRAY, GSName($2)), $4.head); }
    ;

identifier
    : IDENTIFIER                            { $$ = GSIdentifier(); }
    ;

constant
    : CONSTANT_HEX                          { $$ = GSConstant(CONSTANT_HEX); }
    | CONSTANT_INT                          { $$ = GSConstant(CONSTANT_INT); }
    | CONSTANT_CHAR                         { $$ = GSConstant(CONSTANT_CHAR); }
    | CONSTANT_FLOAT                        { $$ = GSConstant(CONSTANT_FLOAT); }
    | CONSTANT_STRING                       { $$ = GSConstant(CONSTANT_STRING); }
    | KEYWORD_TRUE                          { $$ = GSBoolConstant(1); }
    | KEYWORD_FALSE                         { $$ = GSBoolConstant(0); }
    ;

%%

int GSCompilerParse() {
    return gs_parse();
}
