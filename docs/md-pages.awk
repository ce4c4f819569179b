# Doxygen's input filter for the Markdown pages: a heading's `code spans` lose their backticks,
# which Doxygen would otherwise show as literal <tt> tags in the title. Fenced blocks stay as they are.
#   awk -f docs/md-pages.awk PAGE
/^```/ { fenced = !fenced }
!fenced && /^#+ / { gsub(/`/, "") }
{ print }
