#include "driver/form1.h"

#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "base/replace_file.h"
#include "base/source_folder.h"
#include "output/memorizza_percorso.h"
#include "sources/text_writers.h"

namespace scenario {

namespace {

// The platform's end never returns; should an implementation break that
// promise, the program still stops here rather than run on.
[[noreturn]] void end_program(Platform& platform, int status) {
  platform.end_process(status);
  std::abort();
}

}  // namespace

std::string errore_message(std::string_view a) {
  std::string message = " Errore n. ";
  message += a;
  return message;
}

std::string failure_message(const std::exception& failure) {
  if (const auto* write = dynamic_cast<const FileWriteFailure*>(&failure)) {
    return "Impossibile scrivere il file " + utf8_of_path(write->file()) + ": " + write->reason();
  }
  return std::string("Errore durante l'esecuzione: ") + failure.what();
}

void Form1::Form_Load() {
  model_.nome_linea = kNomeLinea;
  model_.numero_treno = kNumeroTreno;
  // The source files this run has written, which a failed run deletes: after
  // a run only the six files are left, whatever ended it.
  std::vector<std::string> sources_written;
  try {
    platform_.show_waiting_window();
    folder_ = platform_.program_folder();
    platform_.hold_folder(folder_);
    DiskWriteFolder written(folder_);
    recover_folder(written);  // a replacement a kill interrupted, and what killed runs left

    dati_linea();
    sources_written.push_back(FileNames{model_.nome_linea, model_.numero_treno}.line_source());
    dati_treno();
    sources_written.push_back(FileNames{model_.nome_linea, model_.numero_treno}.train_source());
    dati_note();
    dati_rallentamenti();
    dati_scheda();
    int32_t j = 1;  // 1: write the line's plan file too
    memorizza_percorso(j);
  } catch (const std::exception& failure) {
    // No step guards against run-time failures: such a failure ends the run.
    // The compile deletes the sources once it has read them; a failure before
    // it leaves them to be deleted here (one that cannot be goes unreported:
    // the failure shown is the run's own).
    for (const std::string& name : sources_written) {
      try {
        DiskFolder(folder_).remove(name);
      } catch (const std::exception&) {
      }
    }
    platform_.show_failure(failure_message(failure));
    end_program(platform_, kExitFailure);
  }
  end_program(platform_, kExitNormal);
}

void Form1::errore(const std::string& a) {
  platform_.show_message(errore_message(a));
  end_program(platform_, kExitErrore);
}

void Form1::dati_linea() { scenario::dati_linea(folder_, model_); }
void Form1::dati_treno() { scenario::dati_treno(folder_, model_); }
void Form1::dati_note() { scenario::dati_note(folder_, model_); }
void Form1::dati_rallentamenti() { scenario::dati_rallentamenti(folder_, model_); }
void Form1::dati_scheda() { scenario::dati_scheda(folder_, model_); }

// The sources are read from the program's folder, where the compiled files
// go too.
void Form1::memorizza_percorso(int32_t& j) {
  DiskFolder sources(folder_);
  const Finish finish = scenario::memorizza_percorso(model_, sources, folder_, report_, j);
  if (finish != Finish::compiled) errore(std::string(errore_number(finish)));
}

}  // namespace scenario
