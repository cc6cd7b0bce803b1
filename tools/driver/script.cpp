// The script interpreter: splitting lines into words, the session the
// commands share (the started program, the current window), and the table
// of commands.
#include "script.h"
#include "commands.h"
#include "inside.h"
#include <cstdio>
#include <cstdlib>

namespace script {

struct Word {
  std::string text;
  bool quoted;
};

static bool quotedWord(const std::string &line, size_t &i, std::string *out, std::string *error) {
  for (i++; i < line.size() && line[i] != '"'; i++) {
    if (line[i] != '\\' || i + 1 == line.size()) {
      *out += line[i];
      continue;
    }
    char c = line[++i];
    *out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
  }
  if (i == line.size()) *error = "unterminated quoted word";
  i++;
  return i <= line.size();
}

// Words are separated by blanks; "..." makes one word of anything, with \" \\ \n \t.
static bool split(const std::string &line, std::vector<Word> *words, std::string *error) {
  for (size_t i = 0; i < line.size();) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      i++;
    } else if (line[i] == '"') {
      Word w = {"", true};
      if (!quotedWord(line, i, &w.text, error)) return false;
      words->push_back(w);
    } else {
      size_t end = line.find_first_of(" \t\r", i);
      if (end == std::string::npos) end = line.size();
      words->push_back({line.substr(i, end - i), false});
      i = end;
    }
  }
  return true;
}

// "--name value" pairs are options, wherever they stand; after start's
// program name every word belongs to the program.
static bool parse(const std::vector<Word> &words, Args *args, std::string *error) {
  bool programWords = false;
  for (size_t i = 1; i < words.size(); i++) {
    const Word &w = words[i];
    if (!w.quoted && !programWords && w.text.rfind("--", 0) == 0 && w.text.size() > 2) {
      if (i + 1 == words.size()) {
        *error = "option " + w.text + " without a value";
        return false;
      }
      args->options[w.text.substr(2)] = words[++i].text;
    } else {
      args->words.push_back(w.text);
      programWords = words[0].text == "start";
    }
  }
  return true;
}

static void endProgram(Session &s) {
  inside::release();
  if (!s.process) return;
  if (WaitForSingleObject(s.process, 0) == WAIT_TIMEOUT) {
    TerminateProcess(s.process, 1);
    WaitForSingleObject(s.process, 5000);
    printf("ended %s, which was still running\n", s.program.c_str());
  }
  CloseHandle(s.process);
  s.process = nullptr;
}

// Runs one line; blank lines and lines starting with # do nothing.
static bool step(Session &s, const std::string &line, std::string *error) {
  size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos || line[first] == '#') return true;
  std::vector<Word> words;
  if (!split(line, &words, error)) return false;
  const Command *command = find(words[0].text);
  if (!command) {
    *error = "unknown command " + words[0].text;
    return false;
  }
  Args args;
  if (!parse(words, &args, error)) return false;
  if ((int)args.words.size() < command->least || (int)args.words.size() > command->most) {
    *error = std::string("usage: ") + command->usage;
    return false;
  }
  s.error.clear();
  bool done = command->run(s, args);
  fflush(stdout);
  if (!done) *error = words[0].text + ": " + s.error;
  return done;
}

// The timeout a script starts with: 10 seconds, or MORVINT_DRIVER_TIMEOUT
// where programs start slowly (an emulated machine).
static double startingTimeout() {
  const char *given = getenv("MORVINT_DRIVER_TIMEOUT");
  double seconds = given ? atof(given) : 0;
  return seconds > 0 ? seconds : 10;
}

int run(const std::vector<std::string> &lines, const std::string &shots) {
  Session s;
  s.shots = shots;
  s.timeout = startingTimeout();
  for (size_t n = 0; n < lines.size(); n++) {
    std::string error;
    if (step(s, lines[n], &error)) continue;
    printf("error: line %u: %s\n", (unsigned)(n + 1), error.c_str());
    failureScreenshot(s);
    endProgram(s);
    fflush(stdout);
    return 1;
  }
  endProgram(s);
  fflush(stdout);
  return 0;
}

} // namespace script
