#!/usr/bin/env bash
# Rebuilds the roster's import templates of data/M8/Templates/Import/ (installed by `velmor init`)
# from their sources in scripts/templates/ with LibreOffice. The captions are checked against
# the plug-in's layouts by the test RosterTemplates.ShippedTemplatesMatchTheLayouts.
# Needs libreoffice-calc: apt-get install -y --no-install-recommends libreoffice-calc
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
src="$root/scripts/templates"
out="$root/data/M8/Templates/Import"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
for f in "$src"/*.fods; do
  soffice -env:UserInstallation="file://$work/profile" --headless --convert-to xlsx --outdir "$work" "$f" >/dev/null
  name=$(basename "$f" .fods)
  [ -s "$work/$name.xlsx" ] || { echo "make-roster-templates: conversion of $name failed" >&2; exit 1; }
  cp "$work/$name.xlsx" "$out/"
done
ls -l "$out"
