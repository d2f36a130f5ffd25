#pragma once
// Names of the message numbers; the texts are the catalogue in errors.cpp.
// RuntimeError, RuntimeWarning and LoaderFailure take these names.

namespace vestil::msg {

// Statements, variables and the block scans.
inline constexpr int kUnknownSystemVariable = 100;
inline constexpr int kUnknownFunction = 101;
inline constexpr int kUnknownCommand = 102;
inline constexpr int kIntegerVariableExpected = 103;
inline constexpr int kFileHandleExpected = 104;
inline constexpr int kTableHandleExpected = 105;
inline constexpr int kEndIfOrElseNotFound = 106;
inline constexpr int kEndIfNotFound = 107;
inline constexpr int kWhileNestingTooDeep = 108;
inline constexpr int kEndWhileNotFound = 109;
inline constexpr int kWhileMissing = 110;
inline constexpr int kGosubOrProcMissing = 111;
inline constexpr int kProcMissing = 112;
inline constexpr int kLabelNotFound = 113;
inline constexpr int kCallNestingTooDeep = 114;
inline constexpr int kEndProcNotFound = 115;
inline constexpr int kDimIntTwice = 116;
inline constexpr int kDimLongTwice = 117;
inline constexpr int kDimTextTwice = 118;
inline constexpr int kDimFloatTwice = 119;
inline constexpr int kStartPrintMissing = 120;
inline constexpr int kAreaVariableExpected = 121;
inline constexpr int kBadVariableName = 122;
inline constexpr int kVariableNameTooLong = 123;
inline constexpr int kStartPaintMissing = 124;

// Values, functions, variables, windows and resources.
inline constexpr int kInvalidFunctionValue = 200;
inline constexpr int kDivisionByZero = 201;
inline constexpr int kWrongTypeForDtoc = 202;
inline constexpr int kWrongTypeForCtod = 203;
inline constexpr int kStringIndexBelowOne = 204;
inline constexpr int kSubstringNumberBelowOne = 205;
inline constexpr int kNotThatManyItems = 206;
inline constexpr int kBoundExceeded = 207;
inline constexpr int kCommandLineParameterMissing = 208;
inline constexpr int kFileNotFound = 209;
inline constexpr int kFileNumberOutOfRange = 210;
inline constexpr int kParameterCountOutOfRange = 211;
inline constexpr int kTooFewParameters = 212;
inline constexpr int kFunctionArgumentMissing = 213;
inline constexpr int kNotANumber = 214;
inline constexpr int kVariableNotDeclared = 215;
inline constexpr int kWrongParameterType = 216;
inline constexpr int kIntegerVariablesFull = 217;
inline constexpr int kLongVariablesFull = 218;
inline constexpr int kStringVariablesFull = 219;
inline constexpr int kFloatVariablesFull = 220;
inline constexpr int kForbiddenWhilePrinting = 221;
inline constexpr int kBoxOutsideWindow = 222;
inline constexpr int kNegativeWindowSize = 223;
inline constexpr int kIconNotFound = 224;
inline constexpr int kNoSuchSystemIcon = 225;
inline constexpr int kMenuCreationFailed = 226;
inline constexpr int kMenuNestingTooDeep = 227;
inline constexpr int kBitmapNotLoadable = 228;
inline constexpr int kBitmapNotSaved = 229;
inline constexpr int kNoSuchCursor = 230;
inline constexpr int kElementCountOutOfRange = 231;
inline constexpr int kTooManyItems = 232;
inline constexpr int kNoSuchItem = 233;
inline constexpr int kSoundFailed = 234;
inline constexpr int kPrintingImpossible = 235;
inline constexpr int kHardCopyFailed = 236;
inline constexpr int kWindowRequired = 237;
inline constexpr int kStringEndMissing = 238;
inline constexpr int kAreaVariablesFull = 239;
inline constexpr int kNoMemoryForArea = 240;
inline constexpr int kAreaAlreadyDimensioned = 241;
inline constexpr int kInvalidWindowHandle = 242;
inline constexpr int kAreaNotDimensioned = 243;
inline constexpr int kTextDoesNotFitArea = 244;
inline constexpr int kParameterCountMismatch = 245;
inline constexpr int kBadParameterDescriptionType = 246;
inline constexpr int kDllLoadFailed = 247;
inline constexpr int kDllFunctionNotFound = 248;
inline constexpr int kForbiddenWhilePainting = 249;
inline constexpr int kSetTimerMissing = 250;
inline constexpr int kTimerAlreadySet = 251;
inline constexpr int kMenuNotLoadable = 252;

// Copying and reading files.
inline constexpr int kCannotReadFile = 300;
inline constexpr int kCannotCreateFile = 301;
inline constexpr int kReadError = 302;
inline constexpr int kWriteError = 303;

// ODBC.
inline constexpr int kOdbcNotInitialised = 500;
inline constexpr int kOdbcInitFailed = 501;
inline constexpr int kOdbcDllNotFound = 502;
inline constexpr int kOdbcError = 503;
inline constexpr int kRecordsProcessed = 504;  // follows a count
inline constexpr int kOperationSucceeded = 505;
inline constexpr int kCannotOpenResultFile = 506;
inline constexpr int kResultTooLarge = 507;

// The dBase engine (600 to 608 and 611 to 615 are also reached as 600 plus
// the engine's error code).
inline constexpr int kDbError = 600;
inline constexpr int kDbFileNotFound = 601;
inline constexpr int kDbDuplicateFieldName = 602;
inline constexpr int kDbInvalidFieldLength = 603;
inline constexpr int kDbInvalidDecimals = 604;
inline constexpr int kDbIndexFileDamaged = 605;
inline constexpr int kDbFieldNotFound = 606;
inline constexpr int kDbBadFileName = 607;
inline constexpr int kDbBadKeyField = 608;
inline constexpr int kTableNumberOutOfRange = 609;
inline constexpr int kTableNumberNotInUse = 610;
inline constexpr int kDbBadFormula = 611;
inline constexpr int kDbFieldNotFoundForRead = 612;
inline constexpr int kDbFieldNumberNotFoundForRead = 613;
inline constexpr int kDbFieldNotFoundForWrite = 614;
inline constexpr int kDbFieldNumberNotFoundForWrite = 615;
inline constexpr int kBadIndexFileName = 616;

// Texts of the loader and of error boxes.
inline constexpr int kLoadFileCaption = 800;  // caption of the open-file dialog
inline constexpr int kLineWord = 801;  // "Zeile ", before the line number in a box
inline constexpr int kUsageVestil = 802;
inline constexpr int kUsageVestrun = 803;  // the usage box of the runner
inline constexpr int kUsageVestcomp = 804;

// The loader (903, 904, 907 and 908 are texts of a compiler; the runtime does
// not raise them).
inline constexpr int kTooManyLines = 901;
inline constexpr int kLineTooLong = 902;
inline constexpr int kIncludeFileNotFound = 903;
inline constexpr int kIncludeNested = 904;
inline constexpr int kNotAProgramFile = 905;
inline constexpr int kProgramFileDamaged = 906;
inline constexpr int kCompilingLine = 907;
inline constexpr int kProgramCaption = 908;

// Fatal, after Cancel in a warning box.
inline constexpr int kProgramCancelled = 999;

}  // namespace vestil::msg
