#!/bin/bash
# Makes a default printer for the Wine tests: starts the CUPS scheduler
# unless it runs and adds the queue "PDF" (cups-pdf, which writes every job
# as a PDF file into the folder of its Out setting, $HOME/PDF of the user
# who printed) as the default destination. Wine then reports the printer as
# the profile entry "PDF,wineps.drv,CUPS:PDF".
# Idempotent. Needs root and the packages cups and printer-driver-cups-pdf
# (tools/install_deps.sh). Exit code 0 when the queue accepts jobs.
set -uo pipefail

SUDO=
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi

if [ ! -x /usr/sbin/cupsd ] || [ ! -e /usr/lib/cups/backend/cups-pdf ]; then
  echo "setup_printer: cups or printer-driver-cups-pdf is not installed" >&2
  exit 1
fi

# The scheduler answers on its socket once it runs.
if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
  $SUDO /usr/sbin/cupsd || { echo "setup_printer: cupsd did not start" >&2; exit 1; }
  for _ in $(seq 50); do
    lpstat -r 2>/dev/null | grep -q 'is running' && break
    sleep 0.2
  done
fi
if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
  echo "setup_printer: the CUPS scheduler does not answer" >&2
  exit 1
fi

if ! lpstat -p PDF >/dev/null 2>&1; then
  ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd
  if [ -e "$ppd" ]; then
    $SUDO lpadmin -p PDF -E -v cups-pdf:/ -P "$ppd" || exit 1
  else
    $SUDO lpadmin -p PDF -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_noopt.ppd || exit 1
  fi
fi
$SUDO cupsenable PDF 2>/dev/null
$SUDO cupsaccept PDF 2>/dev/null
$SUDO lpadmin -d PDF || exit 1
echo "setup_printer: the default printer is PDF (cups-pdf)"
