// The driver's script language: one command a line, each printing one result
// line (controls: one a control), the first failure ending the run.
//
//   start [--dir FOLDER] PROGRAM [ARG...]  start a program; only its windows count
//   wait-window CLASS|* [TITLE]  wait for its top-level window, which becomes current
//   controls                     list the current window's controls
//   read [CONTROL]               print the current window, or one control
//   wait-text CONTROL TEXT       wait until a control's text is TEXT
//   click CONTROL|window [X,Y]   click a control (or the window's content area) in
//                                its middle, or at X,Y of it (negative: from the
//                                right or bottom); --button right for the right one
//   click-tab TAB [--control C]  click a tab of a SysTabControl32 (the first one)
//   click-at X Y                 click the current window at a point of its content area
//   drag CONTROL|window FROM TO  drag with the left button from one point of it to
//                                another (X,Y as for click; FROM may be "thumb", the
//                                middle of a track bar's or scroll bar's thumb)
//   wheel CONTROL|window N [X,Y] turn the mouse wheel N notches over a control (its
//                                middle, or X,Y of it): positive away from the user
//                                (up the page), negative towards the user
//   type TEXT                    type into the focused control
//   key COMBINATION...           press keys: ctrl+q, alt+f, shift+tab, return, a
//   menu PATH                    choose a menu item: "File/Quit", "ファイル/終了"
//   message [--press B|none]     read the message box, press OK, Cancel, Yes... or a text
//   close                        click the current window's close box
//   wait-exit                    wait until the program ends; print its exit code
//   sleep SECONDS                pause
//   timeout SECONDS              how long waits last from now on (10 to begin with,
//                                or MORVINT_DRIVER_TIMEOUT seconds when it is set)
//   screenshot NAME              save the screen as NN-NAME.png in the screenshot folder
//   clipboard                    print the clipboard's text
//   clipboard-picture            print the clipboard's picture: WxH, its top-left and
//                                bottom-right pixels as RRGGBB
//   set-clipboard TEXT           put the text on the clipboard, emptying it first
//   drop-files CONTROL|window X,Y PATH...  drop files there as a file manager
//                                would: the driver drags them through the
//                                platform's drag loop, as another program; prints
//                                the effect the program answered (copy, move, none)
//   drop-text CONTROL|window X,Y TEXT  the same with text, as another window's
//                                selection is dragged
//
// Every wait gives up after the timeout (or --timeout S on the command), and
// control lookups wait too. A command that gives input returns once the
// program has handled it (inside.h), so the next command sees its effect. A CONTROL is "#ID",
// "Class[N]" (the Nth of its class, from 0) or its text as a person reads it ("&Apply" is "Apply").
// Words are separated by blanks; "..." quotes, with \" \\ \n \t inside; a
// line starting with # is a comment. Controls and windows print as
//   control Button id=104 text="Blue" screen=L,T,R,B client=L,T,R,B visible=1
//     enabled=1 [focused=1] [checked=0|1|2] [tab=N tabtext="..." tabs=N]
//     [value=N range=MIN,MAX] [selected=N items=N]
// with texts in UTF-8. A failure prints "error: line N: command: why",
// saves NN-failure.png and ends the started program.
#pragma once
#include <string>
#include <vector>

namespace script {

// Runs the lines of a script. Screenshots go to the folder shots (a Unix
// name; none are taken when it is empty). Returns 0 when every command did
// what it says, 1 when one failed.
int run(const std::vector<std::string> &lines, const std::string &shots);

} // namespace script
